#include "core/version.h"
#include "app/texts.h"
#include "export/windowwriters.h"
#include "imaging/pixeltable.h"
#include "picture/windowpasses.h"
#include "picture/picturesurface.h"
#include "support/testpictures.h"

#include <QRegularExpression>
#include <QTest>

using namespace TestPictures;

namespace {

const CodeStamp exampleStamp{QStringLiteral("2002-11-15"), QStringLiteral("14:05:09")};
const QString examplePath = QStringLiteral("C:\\pic\\t.bmp");

PixelTable tableOf(const QImage &picture)
{
    PictureSurface surface;
    surface.setPicture(picture);
    return readPixelTable(surface, blackColour, {}, Limits::window());
}

// A picture `bytes` bytes wide whose byte c of row y is (c + 7 y) mod 256, so every entry is told apart.
QImage numberedPicture(int bytes, int rows)
{
    QImage image(8 * bytes, rows, QImage::Format_RGB32);
    for (int y = 0; y < rows; ++y)
        for (int c = 0; c < bytes; ++c)
            for (int k = 0; k < 8; ++k)
                image.setPixel(8 * c + k, y, ((c + 7 * y) & 0xFF) & (0x80 >> k) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

// The window's writer of `format`.
GeneratedCode writerOf(CodeFormat format, const PixelTable &table, const StatusSink &status = {},
                       const Limits &limits = Limits::window())
{
    return format == CodeFormat::A51   ? writeA51(table, examplePath, exampleStamp, status, limits)
           : format == CodeFormat::C51 ? writeC51(table, examplePath, exampleStamp, status, limits)
                                       : writeHex(table, status, limits);
}

QStringList linesOf(const QString &text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class tst_CodeWriters : public QObject {
    Q_OBJECT

private slots:
    void a51WorkedExample();
    void c51WorkedExample();
    void hexWorkedExample();
    void lineCuts_data();
    void lineCuts();
    void entriesMatchPackedBytes_data();
    void entriesMatchPackedBytes();
    void solidRows();
    void pathWrittenUnchanged();
    void pathCannotEndItsComment_data();
    void pathCannotEndItsComment();
    void progressAfterEveryRow_data();
    void progressAfterEveryRow();
    void stampDate();
};

void tst_CodeWriters::a51WorkedExample()
{
    const GeneratedCode code = writeA51(tableOf(workedExample()), examplePath, exampleStamp, {}, Limits::window());
    QCOMPARE(code.codetext, workedExampleText(false, examplePath));
    QCOMPARE(code.codelines,
             (QStringList{QStringLiteral("DB   081H, 0FFH\r\n"), QStringLiteral("DB   000H, 00AH\r\n")}));
    QVERIFY(code.codebytes.isEmpty());
}

void tst_CodeWriters::c51WorkedExample()
{
    const GeneratedCode code = writeC51(tableOf(workedExample()), examplePath, exampleStamp, {}, Limits::window());
    QCOMPARE(code.codetext, workedExampleText(true, examplePath));
    QCOMPARE(code.codelines, (QStringList{QStringLiteral("0x81, 0xFF, \r\n"), QStringLiteral("0x00, 0x0A, \r\n")}));
}

void tst_CodeWriters::hexWorkedExample()
{
    const GeneratedCode code = writeHex(tableOf(workedExample()), {}, Limits::window());
    QCOMPARE(code.codebytes, QByteArray("\x81\xFF\x00\x0A", 4));
    QCOMPARE(code.codetext, QStringLiteral("81 FF \r\n00 0A \r\n"));
    QCOMPARE(code.codelines, (QStringList{QStringLiteral("81 FF "), QStringLiteral("00 0A ")}));
}

void tst_CodeWriters::lineCuts_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QList<int>>("entriesPerLine");
    QTest::newRow("B=1") << 1 << QList<int>{1};
    QTest::newRow("B=16, one full line, no empty one") << 16 << QList<int>{16};
    QTest::newRow("B=17") << 17 << QList<int>{16, 1};
    QTest::newRow("B=50 (400 pixels)") << 50 << QList<int>{16, 16, 16, 2};
}

void tst_CodeWriters::lineCuts()
{
    QFETCH(int, bytes);
    QFETCH(QList<int>, entriesPerLine);
    const int rows = 3;
    const PixelTable table = tableOf(numberedPicture(bytes, rows));

    const QStringList a51 = linesOf(writeA51(table, examplePath, exampleStamp, {}, Limits::window()).codetext).mid(4);
    const QStringList c51 = linesOf(writeC51(table, examplePath, exampleStamp, {}, Limits::window()).codetext).mid(4);
    QCOMPARE(a51.size(), rows * entriesPerLine.size());
    QCOMPARE(c51.size(), rows * entriesPerLine.size());
    const QRegularExpression a51Line(QStringLiteral("^DB   0[0-9A-F]{2}H(, 0[0-9A-F]{2}H)*$"));
    const QRegularExpression c51Line(QStringLiteral("^(0x[0-9A-F]{2}, )+$"));
    for (int i = 0; i < a51.size(); ++i) {
        const int expected = entriesPerLine[i % entriesPerLine.size()];
        QVERIFY2(a51Line.match(a51[i]).hasMatch(), qPrintable(a51[i]));
        QVERIFY2(c51Line.match(c51[i]).hasMatch(), qPrintable(c51[i]));
        QCOMPARE(int(a51[i].count(u'H')), expected);
        QCOMPARE(int(c51[i].count(u'x')), expected);
    }

    const GeneratedCode hex = writeHex(table, {}, Limits::window());
    const QStringList hexLines = linesOf(hex.codetext);
    QCOMPARE(hexLines.size(), rows);
    for (const QString &line : hexLines)
        QCOMPARE(line.size(), 3 * bytes); // never wrapped
    QCOMPARE(hex.codebytes.size(), bytes * rows);
}

void tst_CodeWriters::entriesMatchPackedBytes_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::newRow("A51") << CodeFormat::A51;
    QTest::newRow("C51") << CodeFormat::C51;
    QTest::newRow("HEX") << CodeFormat::Hex;
}

void tst_CodeWriters::entriesMatchPackedBytes()
{
    QFETCH(CodeFormat, format);
    const int bytes = 40, rows = 9;
    const PixelTable table = tableOf(numberedPicture(bytes, rows));
    const GeneratedCode code = writerOf(format, table);
    const QString data = format == CodeFormat::Hex ? code.codetext : linesOf(code.codetext).mid(4).join(u'\n');
    const QRegularExpression entry(format == CodeFormat::A51   ? QStringLiteral("0([0-9A-F]{2})H")
                                   : format == CodeFormat::C51 ? QStringLiteral("0x([0-9A-F]{2})")
                                                               : QStringLiteral("([0-9A-F]{2}) "));
    QList<int> listed;
    for (const QRegularExpressionMatch &m : entry.globalMatch(data))
        listed << m.captured(1).toInt(nullptr, 16);
    QCOMPARE(listed.size(), bytes * rows);
    for (int k = 0; k < listed.size(); ++k)
        QCOMPARE(listed[k], (k % bytes + 7 * (k / bytes)) & 0xFF);
    if (format == CodeFormat::Hex)
        for (int k = 0; k < listed.size(); ++k)
            QCOMPARE(int(quint8(code.codebytes[k])), listed[k]);
    QCOMPARE(code.codelines.size(), rows);
    const QString crlf = QStringLiteral("\r\n");
    const QString header = format == CodeFormat::Hex ? QString() : linesOf(code.codetext).mid(0, 4).join(crlf) + crlf;
    const QString rowsText =
        format == CodeFormat::Hex ? code.codelines.join(crlf) + crlf : code.codelines.join(QString());
    QCOMPARE(header + rowsText, code.codetext);
    // The road holds the window's limits, not its own.
    Limits fewer = Limits::window();
    fewer.maxPixels = 8 * bytes * rows - 1;
    QVERIFY(writerOf(format, table, {}, fewer).refusal.rule == Refusal::Rule::Decoded);
}

void tst_CodeWriters::solidRows()
{
    const PixelTable white = tableOf(solid(24, 2, qRgb(255, 255, 255)));
    const PixelTable black = tableOf(solid(24, 2, qRgb(0, 0, 0)));
    QCOMPARE(linesOf(writeA51(white, examplePath, exampleStamp, {}, Limits::window()).codetext).last(),
             QStringLiteral("DB   000H, 000H, 000H"));
    QCOMPARE(linesOf(writeA51(black, examplePath, exampleStamp, {}, Limits::window()).codetext).last(),
             QStringLiteral("DB   0FFH, 0FFH, 0FFH"));
    QCOMPARE(linesOf(writeC51(white, examplePath, exampleStamp, {}, Limits::window()).codetext).last(),
             QStringLiteral("0x00, 0x00, 0x00, "));
    QCOMPARE(linesOf(writeC51(black, examplePath, exampleStamp, {}, Limits::window()).codetext).last(),
             QStringLiteral("0xFF, 0xFF, 0xFF, "));
    QCOMPARE(writeHex(black, {}, Limits::window()).codebytes, QByteArray(6, '\xFF'));
    QCOMPARE(writeHex(white, {}, Limits::window()).codetext, QStringLiteral("00 00 00 \r\n00 00 00 \r\n"));

    // B = 1 with the byte 24.
    const PixelTable narrow = tableOf(fromRows({QStringLiteral("...##...")}));
    QCOMPARE(linesOf(writeA51(narrow, examplePath, exampleStamp, {}, Limits::window()).codetext).last(),
             QStringLiteral("DB   018H"));
    QCOMPARE(writeC51(narrow, examplePath, exampleStamp, {}, Limits::window()).codetext.right(8),
             QStringLiteral("0x18, \r\n"));
}

void tst_CodeWriters::pathWrittenUnchanged()
{
    const QString path = QStringLiteral("/tmp/图 片/%1 \"quoted\" 【x】.bmp");
    const GeneratedCode code = writeC51(tableOf(workedExample()), path, exampleStamp, {}, Limits::window());
    QCOMPARE(linesOf(code.codetext).first(),
             QStringLiteral("/*----  图片文件来自：【") + path + QStringLiteral("】  ----*/"));
}

void tst_CodeWriters::pathCannotEndItsComment_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("written");
    QTest::newRow("C51: the comment's end")
        << CodeFormat::C51 << QStringLiteral("a*/b**/c") << QStringLiteral("a*\\/b**\\/c");
    QTest::newRow("C51: a second start, which -Wall warns of")
        << CodeFormat::C51 << QStringLiteral("a/*b/*/c") << QStringLiteral("a/\\*b/\\*\\/c");
    QTest::newRow("A51: no comment end to mind") << CodeFormat::A51 << QStringLiteral("a*/b") << QStringLiteral("a*/b");
    QTest::newRow("line ends, controls, separators")
        << CodeFormat::A51 << QStringLiteral("a\r\nb\tc\x7F\u0085\u2028\u2029d") << QStringLiteral("a??b?c????d");
}

void tst_CodeWriters::pathCannotEndItsComment()
{
    QFETCH(CodeFormat, format);
    QFETCH(QString, path);
    QFETCH(QString, written);
    const QString header = codeHeader(format, path, 8, 1, exampleStamp);
    QCOMPARE(linesOf(header).first().section(u'【', 1).section(u'】', 0, 0), written);
}

void tst_CodeWriters::progressAfterEveryRow_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::addColumn<QString>("activity");
    QTest::newRow("A51") << CodeFormat::A51 << Texts::writingA51.toString();
    QTest::newRow("C51") << CodeFormat::C51 << Texts::writingC51.toString();
    QTest::newRow("HEX") << CodeFormat::Hex << Texts::writingHex.toString();
}

void tst_CodeWriters::progressAfterEveryRow()
{
    QFETCH(CodeFormat, format);
    QFETCH(QString, activity);
    QStringList texts;
    writerOf(format, tableOf(solid(8, 3, qRgb(0, 0, 0))), [&](const QString &text) { texts << text; });
    QCOMPARE(texts, (QStringList{activity + QStringLiteral("33%"), activity + QStringLiteral("67%"),
                                 activity + QStringLiteral("100%")}));
}

void tst_CodeWriters::stampDate()
{
    QCOMPARE(codeStampAt(QDateTime(QDate(2026, 12, 7), QTime(9, 8, 7))).date, QStringLiteral("2026-12-07"));
}

QTEST_GUILESS_MAIN(tst_CodeWriters)
#include "tst_windowwriters.moc"
