#include "app/texts.h"
#include "export/windowwriters.h"
#include "imaging/pixeltable.h"
#include "picture/windowpasses.h"
#include "picture/picturesurface.h"
#include "support/models.h"
#include "support/testpictures.h"

#include <QTest>

using namespace TestPictures;

class tst_PixelTable : public QObject {
    Q_OBJECT

private slots:
    void onlyExactBlackIsBlack_data();
    void onlyExactBlackIsBlack();
    void packsLeftmostPixelIntoTopBit_data();
    void packsLeftmostPixelIntoTopBit();
    void tableLayoutIsRowAfterRow();
    void packedPosition_data();
    void packedPosition();
    void reportsProgressPerRow();
};

void tst_PixelTable::onlyExactBlackIsBlack_data()
{
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<int>("entry");
    QTest::newRow("0 is black") << Colour(0) << 1;
    QTest::newRow("&H000001 is not") << Colour(0x000001) << 0;
    QTest::newRow("&H010000 is not") << Colour(0x010000) << 0;
    QTest::newRow("&H000100 is not") << Colour(0x000100) << 0;
    QTest::newRow("grey 128 is not") << Colour(0x808080) << 0;
    QTest::newRow("white is not") << Colour(0xFFFFFF) << 0;
}

void tst_PixelTable::onlyExactBlackIsBlack()
{
    QFETCH(Colour, colour);
    QFETCH(int, entry);
    PictureSurface surface;
    surface.setPicture(solid(8, 3, rgbFromColour(colour)));
    const PixelTable table = readPixelTable(surface, blackColour, {}, Limits::window());
    QCOMPARE(table.width(), 8);
    QCOMPARE(table.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x)
            QCOMPARE(int(entryAt(table, x, y)), entry);
    QCOMPARE(int(packedByte(table, 0, 2)), entry ? 0xFF : 0x00);
}

void tst_PixelTable::packsLeftmostPixelIntoTopBit_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QList<int>>("bytes");
    QTest::newRow("8x1 black, 6 white, black") << QStringLiteral("#......#") << QList<int>{0x81};
    QTest::newRow("16 pixels, first and last black") << QStringLiteral("#..............#") << QList<int>{0x80, 0x01};
    QTest::newRow("16 pixels, pixel 7 black") << QStringLiteral(".......#........") << QList<int>{0x01, 0x00};
    QTest::newRow("coloured pixels are not black") << QStringLiteral("rgb#rgb#") << QList<int>{0x11};
}

void tst_PixelTable::packsLeftmostPixelIntoTopBit()
{
    QFETCH(QString, row);
    QFETCH(QList<int>, bytes);
    PictureSurface surface;
    surface.setPicture(fromRows({row}));
    const PixelTable table = readPixelTable(surface, blackColour, {}, Limits::window());
    QCOMPARE(bytesPerRow(table), int(bytes.size()));
    for (int c = 0; c < bytes.size(); ++c)
        QCOMPARE(int(packedByte(table, c, 0)), bytes[c]);
}

void tst_PixelTable::tableLayoutIsRowAfterRow()
{
    PictureSurface surface;
    surface.setPicture(workedExample());
    const PixelTable table = readPixelTable(surface, blackColour, {}, Limits::window());
    QCOMPARE(int(entryAt(table, 15, 0)), 1);
    QCOMPARE(int(entryAt(table, 12, 1)), 1);
    QCOMPARE(int(entryAt(table, 15, 1)), 0);
    QCOMPARE(int(table.row(1)[12]), 1); // element y * W + x of one block
    QCOMPARE(table.row(1) - table.row(0), std::ptrdiff_t(16));
    QCOMPARE(int(packedByte(table, 0, 0)), 0x81);
    QCOMPARE(int(packedByte(table, 1, 0)), 0xFF);
    QCOMPARE(int(packedByte(table, 0, 1)), 0x00);
    QCOMPARE(int(packedByte(table, 1, 1)), 0x0A);
}

void tst_PixelTable::packedPosition_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("width");
    QTest::addColumn<qint64>("byte");
    QTest::addColumn<int>("bit");
    QTest::newRow("(9, 2) at 400 is bit 6 of byte 101") << 9 << 2 << 400 << qint64(101) << 6;
    QTest::newRow("top-left pixel, first byte") << 0 << 0 << 400 << qint64(0) << 7;
    QTest::newRow("bottom-right pixel, last byte") << 399 << 299 << 400 << qint64(14999) << 0;
    QTest::newRow("8000 wide, row 2's last byte") << 7999 << 2 << 8000 << qint64(2999) << 0;
}

void tst_PixelTable::packedPosition()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, width);
    QFETCH(qint64, byte);
    QFETCH(int, bit);
    // The pixel alone black: the bytes the export writes hold it, and nothing else.
    PixelTable table(width, y + 1);
    table.row(y)[x] = 1;
    const QByteArray bytes = writeHex(table, {}, Limits::window()).codebytes;
    QCOMPARE(bytes.size(), qsizetype(width / 8 * (y + 1)));
    QCOMPARE(quint8(bytes[byte]), quint8(1 << bit));
    QCOMPARE(bytes.count('\0'), bytes.size() - 1);
}

void tst_PixelTable::reportsProgressPerRow()
{
    PictureSurface surface;
    surface.setPicture(solid(8, 3, qRgb(0, 0, 0)));
    QStringList texts;
    readPixelTable(
        surface, blackColour, [&](const QString &text) { texts << text; }, Limits::window());
    const QString activity = Texts::readingPixels.toString();
    QCOMPARE(texts, (QStringList{activity + QStringLiteral("33%"), activity + QStringLiteral("67%"),
                                 activity + QStringLiteral("100%")}));
}

QTEST_GUILESS_MAIN(tst_PixelTable)
#include "tst_pixeltable.moc"
