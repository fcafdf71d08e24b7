#include "export/filesave.h"
#include "export/textencoding.h"
#include "support/testpictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestPictures;

class tst_TextOutput : public QObject {
    Q_OBJECT

private slots:
    void encodingForLocale_data();
    void encodingForLocale();
    void encodingNames();
    void encodesHeaderTextInGbk();
    void reportsCharactersGbkLacks();
    void savesAndReplacesWholeFile();
    void failedSaveKeepsOldFileAndLeavesNoTemporary();
    void pipeIsWrittenNotReplaced();

private:
    QTemporaryDir dir;
};

void tst_TextOutput::encodingForLocale_data()
{
    QTest::addColumn<QString>("codeset");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("UTF-8") << QStringLiteral("UTF-8") << TextEncoding::Utf8;
    QTest::newRow("ANSI_X3.4-1968 (C locale)") << QStringLiteral("ANSI_X3.4-1968") << TextEncoding::Utf8;
    QTest::newRow("GBK") << QStringLiteral("GBK") << TextEncoding::Gbk;
    QTest::newRow("GB2312") << QStringLiteral("GB2312") << TextEncoding::Gbk;
    QTest::newRow("EUC-CN") << QStringLiteral("EUC-CN") << TextEncoding::Gbk;
    QTest::newRow("gb18030") << QStringLiteral("gb18030") << TextEncoding::Gb18030;
}

void tst_TextOutput::encodingForLocale()
{
    QFETCH(QString, codeset);
    QFETCH(TextEncoding, encoding);
    QCOMPARE(textEncodingForCodeset(codeset), encoding);
}

void tst_TextOutput::encodingNames()
{
    QCOMPARE(textEncodingFromName(u"UTF-8"), std::optional(TextEncoding::Utf8));
    QCOMPARE(textEncodingFromName(u"gbk"), std::optional(TextEncoding::Gbk));
    QCOMPARE(textEncodingFromName(u"GB18030"), std::optional(TextEncoding::Gb18030));
    QVERIFY(!textEncodingFromName(u"latin1").has_value());
}

void tst_TextOutput::encodesHeaderTextInGbk()
{
    const EncodedText text = encodeText(QStringLiteral("：【图】！\r\n"), TextEncoding::Gbk);
    QVERIFY(text.lossless);
    QCOMPARE(text.bytes, QByteArray("\xA3\xBA\xA1\xBE\xCD\xBC\xA1\xBF\xA3\xA1\r\n"));
    QCOMPARE(encodeText(QStringLiteral("图"), TextEncoding::Utf8).bytes, QByteArray("\xE5\x9B\xBE"));
}

void tst_TextOutput::reportsCharactersGbkLacks()
{
    const EncodedText text = encodeText(QStringLiteral("a😀b"), TextEncoding::Gbk);
    QVERIFY(!text.lossless);
    QVERIFY(encodeText(QStringLiteral("a😀b"), TextEncoding::Gb18030).lossless);
}

void tst_TextOutput::savesAndReplacesWholeFile()
{
    const QString path = dir.filePath(QStringLiteral("code.txt"));
    QVERIFY(writeFile(path, QByteArray(1000, 'x')));
    Refusal error;
    QVERIFY2(saveFileAtomically(path, "short", &error), qPrintable(error.detail));
    QCOMPARE(readFile(path), QByteArray("short"));
}

void tst_TextOutput::failedSaveKeepsOldFileAndLeavesNoTemporary()
{
    QTemporaryDir here;
    const QString blocked = here.filePath(QStringLiteral("code.hex"));
    QVERIFY(QDir().mkdir(blocked));
    QVERIFY(writeFile(here.filePath(QStringLiteral("code.hex/keep")), "old"));
    Refusal error;
    QVERIFY(!saveFileAtomically(blocked, "new", &error));
    QVERIFY2(!error.isEmpty(), "the failure is described");
    QCOMPARE(readFile(here.filePath(QStringLiteral("code.hex/keep"))), QByteArray("old"));

    QVERIFY(!saveFileAtomically(here.filePath(QStringLiteral("missing/code.txt")), "new", &error));
    QCOMPARE(QDir(here.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("code.hex")});
}

void tst_TextOutput::pipeIsWrittenNotReplaced()
{
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    Refusal error;
    QVERIFY2(saveFileAtomically(fifo, "through the pipe", &error), qPrintable(error.detail));
    char buffer[64] = {};
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("through the pipe"));
    QVERIFY2(!QFileInfo(fifo).isFile(), "the pipe is still a pipe");
}

QTEST_GUILESS_MAIN(tst_TextOutput)
#include "tst_textoutput.moc"
