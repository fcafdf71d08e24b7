// The converter's text and its command line: the worked example, every picture kind, encodings, usage errors, help,
// names, headers, batches and standard input.

#include "core/version.h"
#include "cli/converter.h"

#include "export/textencoding.h"
#include "support/testpictures.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <tuple>

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

using namespace TestPictures;

class tst_CliTextOutput : public ConverterTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void c51OfTheWorkedExample();
    void a51IsTheDefaultAndDatedNow();
    void everyPictureKind_data();
    void everyPictureKind();
    void outputFileHoldsWhatStandardOutputGets();
    void gbkEncoding();
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();
    void pathWithSpacesAndChinese();
    void verboseSummary();
    void namesCannotLeaveTheirComment();
    void headerDeclaresTheArray();
    void batchNamesEachArray();
    void pictureFromStandardInput();
};

void tst_CliTextOutput::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_CliTextOutput::c51OfTheWorkedExample()
{
    const Run r = run({QStringLiteral("--format"), QStringLiteral("c51"), QStringLiteral("t.bmp")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(QString::fromUtf8(r.out), workedExampleText(true, QStringLiteral("t.bmp")));
}

void tst_CliTextOutput::a51IsTheDefaultAndDatedNow()
{
    const QDate today = QDate::currentDate();
    const Run r = run({QStringLiteral("./t.bmp")}, QByteArray());
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = QString::fromUtf8(r.out).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0], QStringLiteral(";----  图片文件来自：【./t.bmp】  ----"));
    const QRegularExpression dated(QStringLiteral("^;----  本数据文件建立日期：(\\d{4}-\\d\\d-\\d\\d);  "
                                                  "建立时间：\\d\\d:\\d\\d:\\d\\d  ----$"));
    const QRegularExpressionMatch m = dated.match(lines[2]);
    QVERIFY2(m.hasMatch(), qPrintable(lines[2]));
    QVERIFY(qAbs(QDate::fromString(m.captured(1), Qt::ISODate).daysTo(today)) <= 1);
    QCOMPARE(lines.mid(4),
             (QStringList{QStringLiteral("DB   081H, 0FFH"), QStringLiteral("DB   000H, 00AH"), QString()}));
}

void tst_CliTextOutput::everyPictureKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("bytes");

    // 16 x 3: a black 8 x 3 block left, white right; row 1 also has pixel 15 black.
    const QImage blocks = fromRows({QStringLiteral("########........"),
                                    QStringLiteral("###############"
                                                   "#"),
                                    QStringLiteral("########........")});
    const QByteArray packed("\xFF\x00\xFF\xFF\xFF\x00", 6);
    const QStringList hex{QStringLiteral("-f"), QStringLiteral("hex")};
    QTest::newRow("BMP 1 bit") << "b1.bmp" << encodeBmp(blocks, 1) << hex << packed;
    QTest::newRow("BMP 4 bit top-down") << "b4.bmp" << encodeBmp(blocks, 4, RowOrder::TopDown) << hex << packed;
    QTest::newRow("BMP 24 bit") << "b24.bmp" << encodeBmp(blocks, 24) << hex << packed;
    QTest::newRow("GIF") << "g.gif" << encodeGif({blocks}) << hex << packed;

    // JPEG is lossy: black is only nearly black, so the conversion decides.
    QImage big = solid(64, 16, qRgb(255, 255, 255));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            big.setPixel(x, y, qRgb(0, 0, 0));
    QByteArray bigPacked;
    for (int y = 0; y < 16; ++y)
        bigPacked += QByteArray("\xFF\xFF\xFF\xFF\x00\x00\x00\x00", 8);
    QTest::newRow("JPEG with --convert") << "j.jpg" << encodeJpeg(big, 90)
                                         << (hex + QStringList{QStringLiteral("--convert")}) << bigPacked;

    // An 8 x 2 black PNG whose compressed stream runs on 4 MB past its last row: not inflated, not a picture.
    const auto chunk = [](const QByteArray &type, const QByteArray &data) {
        QByteArray c(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), c.data());
        c += type + data + QByteArray(4, '\0');
        qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(c.constData() + 4), uInt(c.size() - 8))),
                              c.data() + c.size() - 4);
        return c;
    };
    QTest::newRow("PNG, its data running on past its rows")
        << "tail.png"
        << QByteArray("\x89PNG\r\n\x1A\n") + chunk("IHDR", QByteArray("\0\0\0\x08\0\0\0\x02\x08\0\0\0\0", 13)) +
               chunk("IDAT", qCompress(QByteArray(18 + (4 << 20), '\0'), 9).mid(4)) + chunk("IEND", {})
        << hex << QByteArray("\xFF\xFF", 2);
    // A chunk whose type has a z in it (zTXt, compressed text), stepped over.
    QTest::newRow("PNG with a zTXt chunk")
        << "z.png"
        << QByteArray("\x89PNG\r\n\x1A\n") + chunk("IHDR", QByteArray("\0\0\0\x08\0\0\0\x02\x08\0\0\0\0", 13)) +
               chunk("zTXt", QByteArray("Comment\0\0", 9) + qCompress(QByteArray("hi"), 9).mid(4)) +
               chunk("IDAT", qCompress(QByteArray(18, '\0'), 9).mid(4)) + chunk("IEND", {})
        << hex << QByteArray("\xFF\xFF", 2);

    // Colour picture: red and blue become black, green white, only with --convert.
    const QImage colours = fromRows({QStringLiteral("rrggbb##")});
    QTest::newRow("colours, no conversion") << "c.bmp" << encodeBmp(colours, 24) << hex << QByteArray("\x03", 1);
    QTest::newRow("colours, converted") << "c.bmp" << encodeBmp(colours, 24)
                                        << (hex + QStringList{QStringLiteral("-c")}) << QByteArray("\xCF", 1);
}

void tst_CliTextOutput::everyPictureKind()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, bytes);
    const Run r = run(options + QStringList{picture(name, content)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out, bytes);
}

void tst_CliTextOutput::outputFileHoldsWhatStandardOutputGets()
{
    for (const QString &format : {QStringLiteral("a51"), QStringLiteral("c51"), QStringLiteral("hex")}) {
        const Run toStdout = run(
            {QStringLiteral("--format"), format, QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("t.bmp")});
        const Run toFile = run({QStringLiteral("--format"), format, QStringLiteral("--output"),
                                QStringLiteral("out.") + format, QStringLiteral("t.bmp")});
        QCOMPARE(toFile.exitCode, 0);
        QCOMPARE(toFile.out, QByteArray());
        QCOMPARE(readFile(dir.filePath(QStringLiteral("out.") + format)), toStdout.out);
    }
    QCOMPARE(readFile(dir.filePath(QStringLiteral("out.hex"))), QByteArray("\x81\xFF\x00\x0A", 4));
    // Without --format, an extension that names one takes it.
    for (const auto &[name, format] : {std::pair("x.png", "png"), std::pair("x.h", "c51"), std::pair("x.s", "sdas"),
                                       std::pair("x.ihx", "ihex"), std::pair("x.BIN", "hex")}) {
        QCOMPARE(run({QStringLiteral("-o"), QLatin1String(name), QStringLiteral("t.bmp")}).exitCode, 0);
        QCOMPARE(readFile(dir.filePath(QLatin1String(name))),
                 run({QStringLiteral("-f"), QLatin1String(format), QStringLiteral("t.bmp")}).out);
    }
}

void tst_CliTextOutput::gbkEncoding()
{
    const Run utf8 = run({QStringLiteral("t.bmp")});
    const Run gbk = run({QStringLiteral("--encoding"), QStringLiteral("gbk"), QStringLiteral("t.bmp")});
    QCOMPARE(gbk.exitCode, 0);
    QCOMPARE(gbk.out, encodeText(QString::fromUtf8(utf8.out), TextEncoding::Gbk).bytes);
    QVERIFY(gbk.out.contains("\xA3\xBA\xA1\xBE")); // ：【 in GBK
    QCOMPARE(gbk.err, QString());
    // A name in the header, or a glyph in its line's comment, that GBK cannot write is warned of.
    const QString emoji = QStringLiteral("t\U0001F600.bmp");
    picture(emoji, encodeBmp(workedExample(), 8));
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    for (const QStringList &arguments :
         {QStringList{emoji}, QString("--font tiny.bdf --text \uD55C --missing blank --index unicode "
                                      "--name t --cell 8x1")
                                  .split(u' ')}) {
        const Run lossy = run(QStringList{QStringLiteral("-e"), QStringLiteral("gbk")} + arguments);
        QCOMPARE(lossy.exitCode, 0);
        QVERIFY(lossy.out.contains("?"));
        QVERIFY2(lossy.err.contains(QStringLiteral(": warning: some characters of the comments")),
                 qPrintable(lossy.err));
    }
}

void tst_CliTextOutput::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // a part of what is said, where a row checks it
    QTest::newRow("no picture") << QStringList{} << QString();
    QTest::newRow("two pictures") << QStringList{QStringLiteral("t.bmp"), QStringLiteral("t.bmp")} << QString();
    QTest::newRow("unknown format") << QStringList{QStringLiteral("--format"), QStringLiteral("intel"),
                                                   QStringLiteral("t.bmp")}
                                    << QString();
    QTest::newRow("unknown encoding") << QStringList{QStringLiteral("-e"), QStringLiteral("latin1"),
                                                     QStringLiteral("t.bmp")}
                                      << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("t.bmp")} << QString();
    QTest::newRow("format without value")
        << QStringList{QStringLiteral("t.bmp"), QStringLiteral("--format")} << QString();
    QTest::newRow("--convert and --threshold") << words("--convert --threshold 10 t.bmp") << QString();
    QTest::newRow("--threshold and --dither") << words("--threshold 10 --dither bayer4 t.bmp") << QString();
    QTest::newRow("--threshold 256") << words("--threshold 256 t.bmp")
                                     << "--threshold takes a number from 0 to 255, not '256'";
    QTest::newRow("--size 1025") << words("--font x --text A --size 1025")
                                 << "--size takes a number of pixels from 1 to 1024, not '1025'";
    QTest::newRow("--threshold x") << words("--threshold x t.bmp") << QString();
    QTest::newRow("--dither halftone") << words("--dither halftone t.bmp") << QString();
    QTest::newRow("--rotate 45") << words("--rotate 45 t.bmp") << QString();
    QTest::newRow("--flip diagonal") << words("--flip diagonal t.bmp") << QString();
    QTest::newRow("--layout diagonal") << words("--layout diagonal t.bmp") << QString();
    QTest::newRow("--bit-order middle") << words("--bit-order middle t.bmp") << QString();
    QTest::newRow("--name with hex") << words("-f hex --name logo t.bmp") << QString();
    QTest::newRow("--name 9lives") << words("--name 9lives t.bmp") << QString();
    QTest::newRow("--name int") << words("-f c51 --name int t.bmp") << QString();
    QTest::newRow("--name logo-small") << words("-f c51 --name logo-small t.bmp") << QString();
    QTest::newRow("--name xdata") << words("-f c51 --name xdata t.bmp") << QString();
    QTest::newRow("--name mov, a51") << words("--name mov t.bmp") << QString();
    QTest::newRow("--address with a51") << words("--address 16 t.bmp") << QString();
    QTest::newRow("--address past 32 bits") << words("-f ihex --address 0x100000000 t.bmp") << QString();
    QTest::newRow("--c-dialect borland") << words("-f c51 --c-dialect borland t.bmp") << QString();
    QTest::newRow("two pictures, no --output-dir") << words("t.bmp t.bmp") << QString();
    QTest::newRow("--output and --output-dir") << words("-o x.a51 --output-dir out t.bmp") << QString();
    QTest::newRow("one base name twice") << words("--output-dir twice t.bmp sub/t.bmp")
                                         << "'t.bmp' and 'sub/t.bmp' would both be written as twice/t.a51 (see --help)";
    QTest::newRow("--max-pixels 0") << words("--max-pixels 0 t.bmp") << QString();
    QTest::newRow("--max-pixels past 2^40") << words("--max-pixels 1099511627777 t.bmp") << QString();
    QTest::newRow("--max-pixels 4K: a count, in no units") << words("--max-pixels 4K t.bmp") << QString();
    QTest::newRow("--max-memory 5T") << words("--max-memory 5T t.bmp") << QString();
    QTest::newRow("--name in a batch") << words("--name logo --output-dir out t.bmp x.bmp") << QString();
    QTest::newRow("--picture-name in a batch of two")
        << words("--picture-name p --output-dir out t.bmp x.bmp") << QString();
    QTest::newRow("--header with hex") << words("-f hex --header t.h t.bmp") << QString();
    QTest::newRow("--header without a name") << words("-f c51 --header t.h t.bmp") << QString();
    QTest::newRow("--header in a batch") << words("-f c51 --name-prefix p --header t.h --output-dir out t.bmp x.bmp")
                                         << QString();
    QTest::newRow("--name-prefix 9") << words("-f c51 --name-prefix 9 t.bmp") << QString();
    QTest::newRow("- in a batch") << words("--output-dir out t.bmp -") << QString();
    QTest::newRow("two arrays of one name") << words("-f c51 --output-dir out a-b.bmp a_b.gif")
                                            << "'a-b.bmp' and 'a_b.gif' would both be named a_b (see --help)";
    QTest::newRow("--help-all") << words("--help-all") << QString();
    QTest::newRow("--name twice") << words("-f c51 --name a --name b t.bmp") << "as 'a' and as 'b'";
    QTest::newRow("--pixel gray3") << words("--pixel gray3 t.bmp") << QString();
    QTest::newRow("--background grey") << words("--background grey t.bmp") << QString();
    QTest::newRow("--background #12345") << words("--background #12345 t.bmp") << QString();
    QTest::newRow("--display vt100") << words("--display vt100 t.bmp") << QString();
    QTest::newRow("vertical gray4") << words("--pixel gray4 --layout vertical t.bmp") << QString();
    for (const char *line : {"--display ssd1306 --pixel rgb565 t.bmp", "--pixel rgb565 --display ssd1306 t.bmp"})
        QTest::newRow(line) << words(line) << "--pixel rgb565 does not go with --display ssd1306, which takes mono";
    QTest::newRow("--threshold with rgb565") << words("--pixel rgb565 --threshold 9 t.bmp") << QString();
    QTest::newRow("--convert with gray2") << words("--pixel gray2 --convert t.bmp") << QString();
    QTest::newRow("pbm of rgb565") << words("--pixel rgb565 -f pbm t.bmp") << QString();
    QTest::newRow("--byte-order with gray4") << words("--pixel gray4 --byte-order little t.bmp") << QString();
    QTest::newRow("--bit-order with rgb888") << words("--pixel rgb888 --bit-order lsb t.bmp") << QString();
    QTest::newRow("--font and a picture") << words("--font tiny.bdf --text A t.bmp") << QString();
    QTest::newRow("--font without characters") << words("--font tiny.bdf") << QString();
    QTest::newRow("--grid without --charset gb2312") << words("--font tiny.bdf --text A --grid") << QString();
    QTest::newRow("--range backwards") << words("--font tiny.bdf --range U+0042-U+0041") << QString();
    QTest::newRow("--range past U+10FFFF") << words("--font tiny.bdf --range U+110000") << QString();
    QTest::newRow("--range of more than 65535") << words("--font tiny.bdf --range U+0000-U+FFFF") << QString();
    QTest::newRow("--text without --font") << words("--text A t.bmp") << QString();
    QTest::newRow("--charset big5") << words("--font tiny.bdf --charset big5") << QString();
    QTest::newRow("--cell 16") << words("--font tiny.bdf --text A --cell 16") << QString();
    QTest::newRow("--frames and --tile") << words("--frames --tile 8x8 t.bmp") << QString();
    QTest::newRow("--tile 8") << words("--tile 8 t.bmp") << QString();
    QTest::newRow("--crop to raw bytes") << words("--font x --text A --crop -f hex")
                                         << "--crop with --format hex would write the glyphs' bits without";
    QTest::newRow("--render without a font") << words("--render A t.bmp") << "--render goes with --font";
    QTest::newRow("--render without a text") << words("--font x --render --text A") << "--render draws a TEXT given";
    QTest::newRow("--at without --render") << words("--font x --text A --at 1,2") << "--at goes with --render";
    QTest::newRow("--at of an odd count") << words("--font x --render A --at 1,2,3") << "--at takes pairs";
    QTest::newRow("--at past 65535 down") << words("--font x --render A --at 0,-65536") << "--at takes pairs";
    QTest::newRow("--omit a table of no name")
        << words("-f c51 --name t --omit codes,names t.bmp") << "--omit 'names': name tables of codes, widths";
    QTest::newRow("--omit without a name") << words("-f c51 --omit delays t.bmp") << "--omit goes with a named array";
    QTest::newRow("--c-attribute without a named c51 array")
        << words("-f a51 --name t --c-attribute PROGMEM t.bmp") << "--c-attribute goes with a named c51 array";
    QTest::newRow("--c-attribute ending the declaration")
        << words("-f c51 --name t --c-attribute x;int t.bmp") << "--c-attribute 'x;int' is no attribute's text: it";
    // Each a way out of the declaration: another array, a brace as a digraph or trigraph, a comment, a quote left
    // open, a character its .c and .h would write apart.
    for (const auto &[what, attribute, fault] :
         {std::tuple("{", "x{", "may not hold ; { } / \\ or '"), std::tuple("}", "x}", "may not hold ;"),
          std::tuple("a line feed", "x\ny", "printable ASCII alone"), std::tuple("a return", "x\ry", "printable ASCII"),
          std::tuple("/", "x/", "may not hold ;"), std::tuple("\\", "x\\", "may not hold ;"),
          std::tuple("a second declarator", "= \"\", evil[8]", "= and , only inside parentheses"),
          std::tuple("a comma", "x, y", "= and , only inside parentheses"),
          std::tuple("digraph braces", "<% %>", "a digraph or a trigraph"),
          std::tuple("a digraph bracket", "x:>", "a digraph or a trigraph"),
          std::tuple("a trigraph", "x\?\?<", "a digraph or a trigraph"),
          std::tuple("a parenthesis left open", "f((x)", "parentheses and double quotes balanced"),
          std::tuple("a parenthesis closed first", ")x(", "parentheses and double quotes balanced"),
          std::tuple("an = after the parentheses", "f(x)=1", "= and , only inside parentheses"),
          std::tuple("a string left open", "f(\"x)", "parentheses and double quotes balanced"),
          std::tuple("a character past ASCII", "section(\"\xc3\xa9\")", "printable ASCII alone")})
        QTest::newRow(qPrintable(QStringLiteral("--c-attribute holding %1").arg(QLatin1String(what))))
            << QStringList{"-f", "c51", "--name", "t", "--c-attribute", QString::fromUtf8(attribute), "t.bmp"} << fault;
    QTest::newRow("--text-encoding without a file")
        << words("--font x --text A --text-encoding gbk") << "--text-encoding goes with --text-file or --strings";
    QTest::newRow("--text-encoding latin1")
        << words("--font x --text-file t.txt --text-encoding latin1") << "'latin1': use utf-8, gbk, gb18030 or utf-16";
    QTest::newRow("--compress zip") << words("--compress zip t.bmp") << QString();
    QTest::newRow("--compress with png") << words("--compress packbits -f png t.bmp") << QString();
    QTest::newRow("--delta without frames")
        << words("--delta --compress lz t.bmp") << "--delta stores frames as changes: give --frames or --tile";
    QTest::newRow("--delta unpacked") << words("--delta --frames t.bmp")
                                      << "--delta stores the changes packed: give --compress";
    QTest::newRow("--key-every without --delta")
        << words("--key-every 2 --frames --compress lz t.bmp") << "--key-every goes with --delta";
    QTest::newRow("--key-every 0") << words("--key-every 0 --delta --frames --compress lz t.bmp") << QString();
    QTest::newRow("--key-every 65536") << words("--key-every 65536 --delta --frames --compress lz t.bmp") << QString();
    QTest::newRow("--frames with --font") << words("--frames --font tiny.bdf --text A") << QString();
    // Names the compilers would take for their own: a storage keyword, C11's, a macro each defines.
    for (const char *name : {"__code", "_Static_assert", "SDCC", "__SDCC_mcs51", "__LINE__", "__C51__"})
        QTest::newRow(qPrintable(QStringLiteral("--name %1, sdcc").arg(QLatin1String(name))))
            << QStringList{"-f", "c51", "--c-dialect", "sdcc", "--name", name, "t.bmp"} << "needs a C identifier";
    QTest::newRow("--name of 247 characters")
        << QStringList{"-f", "sdas", "--name", QString(247, u'a'), "t.bmp"} << "at most 246 characters";
    QTest::newRow("--name-prefix making a name of 247")
        << QStringList{"-f", "c51", "--name-prefix", QString(246, u'a'), "t.bmp"} << "a name of 247 characters";
    QTest::newRow("A51: Logo and logo, one module in any case")
        << words("--output-dir out Logo.bmp logo.bmp") << "named LOGO in A51";
    QTest::newRow("--header -") << words("-f c51 --name t --header - t.bmp") << "standard output (-) is where";
    QTest::newRow("--c-header with c51") << words("-f c51 --name t --c-header t.h t.bmp")
                                         << "--c-header goes with --format sdas";
    QTest::newRow("--c-header and --header one file")
        << words("-f sdas --name t --header t.h --c-header ./t.h t.bmp") << "names --header's file too";
    QTest::newRow("--fit without a size or a display") << words("--fit t.bmp") << "--fit takes a size, such as";
    QTest::newRow("--fill 0x64") << words("--fill 0x64 t.bmp") << "takes a size such as 128x64";
    QTest::newRow("-o x.png of c51") << words("-f c51 -o x.png t.bmp")
                                     << "--output x.png: a .png file takes --format png, not c51";
    QTest::newRow("-o x.asm of hex") << words("-f hex -o x.asm t.bmp")
                                     << "--output x.asm: a .asm file takes --format a51 or sdas, not hex";
    QTest::newRow("--fit 128*64: a size mistyped, not a second picture")
        << words("--display ssd1306 --fit 128*64 t.bmp")
        << "--fit takes a size such as 128x64, each side from 1 to "
           "1048576 pixels, not '128*64'";
    QTest::newRow("--resize x") << words("--resize x t.bmp") << "(or 128x, x64)";
    QTest::newRow("--fit 1*64: a size mistyped from its first digit")
        << words("--display ssd1306 --fit 1*64 t.bmp") << "not '1*64'";
    QTest::newRow("--resize and --fit") << words("--resize 8x8 --fit 8x8 t.bmp") << "no other of --resize";
    QTest::newRow("--filter alone") << words("--filter nearest t.bmp") << "--filter goes with --resize";
    QTest::newRow("--mask without a name") << words("-f c51 --mask t.bmp") << "--mask goes with a named array";
    QTest::newRow("--mask with hex") << words("-f hex --mask t.bmp") << "--mask goes with a named array";
    QTest::newRow("--fit with --font") << words("--font tiny.bdf --text A --fit 8x8") << "--font draws cells";
    // Standard output a terminal (script's), standard error a pipe as ever.
    for (const QString format : {"hex", "pbm", "png"})
        QTest::newRow(qPrintable(format + " to a terminal"))
            << QStringList{"sh", "script -qec '\"$CLI\" -f " + format + " t.bmp 2>&3' /dev/null 3>&2"}
            << "--format " + format + " writes bytes, not text, and standard output is a terminal";
    QTest::newRow("--text, not UTF-8") << QStringList{"sh", "\"$CLI\" --font x --text \"A$(printf '\\377')B\""}
                                       << "--text 'A\\xFFB' is not UTF-8";
    QTest::newRow("--text, 中 then a byte not UTF-8")
        << QStringList{"sh", "\"$CLI\" --font x --text \"中$(printf '\\377')\""}
        << QString::fromUtf8("'中\\xFF' is not");
    QTest::newRow("-o, not UTF-8") << QStringList{"sh", "\"$CLI\" -o \"v$(printf '\\377').bmp\" t.bmp"}
                                   << "--output 'v\\xFF.bmp' is not UTF-8";
    QTest::newRow("a picture, not UTF-8")
        << QStringList{"sh", "v=\"v$(printf '\\377').bmp\"; cp t.bmp \"$v\"; \"$CLI\" \"$v\"; r=$?; rm \"$v\"; exit $r"}
        << "the picture 'v\\xFF.bmp' is not UTF-8";
}

void tst_CliTextOutput::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    picture(QStringLiteral("Logo.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("logo.bmp"), encodeBmp(workedExample(), 24));
    // A word of the shell's making (not UTF-8) stands in a command line of its own.
    const Run r = arguments.value(0) == u"sh" ? runInShell(arguments.last()) : run(arguments);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ")), qPrintable(r.err));
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void tst_CliTextOutput::helpAndVersion()
{
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith("Usage: tessaline-cli [options] PICTURE...\n"));
    QVERIFY(help.out.contains("the raw packed bytes, Intel HEX records of them")); // the description
    QVERIFY(help.out.contains("\nWhat is written:\n  -f, --format <format>"));     // a group's heading
    // Its diagrams of the two layouts and of the turns, as the packing's and the turn's tests hold them.
    QVERIFY(help.out.contains("  --layout horizontal (default)           --layout vertical: pages of 8 rows\n"
                              "    row 0: byte 0 = pixels 0-7, pixel 0     page 0 = rows 0-7: byte 0 = column 0,\n"
                              "           in bit 7 (msb); byte 1 = 8-15      row 0 in bit 0 (lsb); byte 1 = column 1\n"
                              "    row 1: the next bytes                   page 1 = rows 8-15: the next bytes\n"));
    QVERIFY(help.out.contains("  --dither bayer4, mid-grey      .#.#/#.#.   (the ordered 4 x 4 pattern)\n"
                              "  --rotate 90:  AB -> CA    --flip horizontal:  AB -> BA\n"
                              "                CD    DB                        CD    DC\n"));
    // Qt's parser's messages in the words of the converter's own.
    QCOMPARE(run({QStringLiteral("--colour"), QStringLiteral("t.bmp")}).err,
             QStringLiteral("tessaline-cli: unknown option --colour (see --help)\n"));
    QCOMPARE(run({QStringLiteral("-zq"), QStringLiteral("t.bmp")}).err,
             QStringLiteral("tessaline-cli: unknown options -z, -q (see --help)\n"));
    QCOMPARE(run({QStringLiteral("t.bmp"), QStringLiteral("--format")}).err,
             QStringLiteral("tessaline-cli: --format needs a value (see --help)\n"));
    QCOMPARE(run({QStringLiteral("--pad=1"), QStringLiteral("t.bmp")}).err,
             QStringLiteral("tessaline-cli: --pad takes no value (see --help)\n"));
    for (const char *option : {"--format", "--convert", "--threshold", "--dither", "--layout", "--bit-order", "--pad",
                               "--invert", "--rotate", "--flip", "--preview", "--encoding", "--output", "PICTURE"})
        QVERIFY2(help.out.contains(option), option);
    const Run version = run({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("tessaline-cli " TESSALINE_VERSION "\n"));
    QVERIFY(run({QStringLiteral("t.bmp")}, "0").out.contains("1970-01-01;"));
    const Run badEpoch = run({QStringLiteral("t.bmp")}, "tomorrow");
    QCOMPARE(badEpoch.exitCode, 2);
    QVERIFY(badEpoch.err.contains(QStringLiteral("SOURCE_DATE_EPOCH")));
}

void tst_CliTextOutput::pathWithSpacesAndChinese()
{
    const QString name = QStringLiteral("我的 图片 (1).bmp");
    picture(name, encodeBmp(workedExample(), 8));
    const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), name});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QString::fromUtf8(r.out).startsWith(QStringLiteral("/*----  图片文件来自：【") + name +
                                                QStringLiteral("】  ----*/\r\n")));
}

void tst_CliTextOutput::verboseSummary()
{
    // 1024 x 520 pixels, 66560 bytes: more than one 8051 code bank, said of a C51 table without --verbose; raw
    // bytes go to a flash of their own.
    const Run r = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--verbose"), QStringLiteral("-o"),
                       QStringLiteral("bank.bin"), picture(QStringLiteral("bank.bmp"), largeMonochromeBmp(1024, 520))});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QStringLiteral("tessaline-cli: bank.bmp: 1024 x 520 pixels, packed as 1024 x 520, hex, 66560 "
                                   "bytes of data\n"));
    QCOMPARE(run(words("-f c51 --name big -o bank.c bank.bmp")).err,
             QStringLiteral("tessaline-cli: bank.bmp: warning: big takes 66560 bytes, more than the 64 KiB (65536 "
                            "bytes) that one 8051 code bank holds\n"));
    QVERIFY(run(words("-f c51 --name big --mask -o bank.c bank.bmp")).err.contains(u"big_mask takes 66560 bytes"));
    // At the bank's edge: 65536 bytes fill it, one more does not fit.
    picture(QStringLiteral("full.bmp"), largeMonochromeBmp(8, 65536));
    picture(QStringLiteral("past.bmp"), largeMonochromeBmp(8, 65537));
    QCOMPARE(run(words("-f c51 -o bank.c full.bmp")).err, QString());
    QVERIFY(run(words("-f c51 -o bank.c past.bmp")).err.contains(u"takes 65537 bytes"));
    QCOMPARE(
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--verbose"), QStringLiteral("--compress"),
             QStringLiteral("packbits"), QStringLiteral("-o"), QStringLiteral("bank.bin"), QStringLiteral("t.bmp")})
            .err.section(u'\n', 0, 2),
        QStringLiteral(
            "tessaline-cli: t.bmp: warning: --compress packbits made the data larger, 4 bytes packed into "
            "5 (leave --compress out)\ntessaline-cli: t.bmp: 1 frame of 4 bytes, 4 bytes packed into 5 "
            "(125.0 %) with PackBits\ntessaline-cli: t.bmp: 16 x 2 pixels, packed as 16 x 2, hex, 5 bytes of data (4 "
            "unpacked)"));
    // A glyph table says its glyphs and their cells, not a picture's size.
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    QCOMPARE(run(QString::fromUtf8("--font tiny.bdf --text A你 -f hex --verbose -o glyphs.bin").split(u' '))
                 .err.section(u'\n', 0, 0),
             QStringLiteral("tessaline-cli: tiny.bdf: 2 glyphs in cells of their own widths, at most 16 x 16, packed "
                            "as 16 x 16, hex, 64 bytes of data"));
    QCOMPARE(run(QString::fromUtf8("--font tiny.bdf --text A你 --crop -f c51 --verbose -o glyphs.c").split(u' '))
                 .err.section(u'\n', 0, 0)
                 .section(u',', 0, 0),
             QStringLiteral("tessaline-cli: tiny.bdf: 2 glyphs cropped to their ink"));
    // Glyphs cut at their cells: the first ten named, then how many more.
    const QString pcf = QStringLiteral("/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf");
    if (QFileInfo::exists(pcf))
        QVERIFY(run({QStringLiteral("--font"), pcf, QStringLiteral("--text"), QStringLiteral("ABCDEFGHIJKL"),
                     QStringLiteral("--cell"), QStringLiteral("8x4"), QStringLiteral("-f"), QStringLiteral("hex"),
                     QStringLiteral("-o"), QStringLiteral("cut.bin")})
                    .err.contains(u"I U+0049, J U+004A, 2 more (a taller --cell fits them)"));
    // A picture larger than the display's screen: said; one that fits only turned, said where the display cannot turn.
    const Run small =
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("pcd8544"),
             QStringLiteral("-o"), QStringLiteral("bank.bin"), QStringLiteral("bank.bmp")});
    QCOMPARE(small.err,
             QStringLiteral("tessaline-cli: bank.bmp: warning: the picture is 1024 x 520 pixels, larger "
                            "than the pcd8544's screen of 84 x 48 (--fit or --fill brings it to the screen)\n"));
    const QString wide = picture(QStringLiteral("wide.bmp"), encodeBmp(solid(160, 128, qRgb(0, 0, 0)), 24));
    QVERIFY(
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("st7735"), wide})
            .err.isEmpty());
    const QString tall = picture(QStringLiteral("tall.bmp"), encodeBmp(solid(64, 128, qRgb(0, 0, 0)), 24));
    QVERIFY(!run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("ssd1306"),
                  tall})
                 .err.isEmpty());
    // --fit taking the screen: a landscape picture into a portrait screen the controller can scan turned is told
    // the size turned, and tiles brought to the whole screen are said; a picture of the screen's aspect is not.
    QCOMPARE(run(words("-f hex --display st7735 --fit -o x.bin wide.bmp")).err,
             QStringLiteral("tessaline-cli: wide.bmp: warning: the picture is landscape and the st7735's screen of "
                            "128 x 160 is not: --fit 160x128 fills the screen as its controller scans it turned\n"));
    QCOMPARE(run(words("-f hex --display st7735 --fill --rotate 90 -o x.bin wide.bmp")).err, QString());
    QVERIFY(run(words("-f hex --display ssd1306 --fit --tile 8x2 -o x.bin t.bmp"))
                .err.contains(u"each 8 x 2 tile was brought to the ssd1306's screen, 128 x 64"));
    // Greys the window's rule takes for white are counted (a picture of pure black and white says nothing).
    QCOMPARE(run({QStringLiteral("-f"), QStringLiteral("hex"),
                  picture(QStringLiteral("greys.bmp"), encodeBmp(fromRows({QStringLiteral("#.rg#..b")}), 24))})
                 .err,
             QStringLiteral("tessaline-cli: greys.bmp: warning: 3 pixels are neither black nor white and were taken "
                            "for white, as only exact black is black by default (--threshold 128 or --dither keeps "
                            "their greys)\n"));
    // A mask of a picture without transparency: all ones, and said.
    QCOMPARE(
        run(words("-f c51 --name t --mask t.bmp")).err,
        QStringLiteral("tessaline-cli: t.bmp: warning: the picture has no transparent pixel: t_mask is all ones\n"));
    // Intel HEX that passes the 8051's code space: said, and written all the same.
    const Run past = run({QStringLiteral("-f"), QStringLiteral("ihex"), QStringLiteral("--address"),
                          QStringLiteral("0xFFFE"), QStringLiteral("t.bmp")});
    QCOMPARE(past.exitCode, 0);
    QCOMPARE(past.err, QStringLiteral("tessaline-cli: t.bmp: warning: the data ends at 0x10001, past the 8051's 64 KiB "
                                      "of code space (0x0000 to 0xFFFF); no 8051 reaches it without banking\n"));
    QVERIFY(run({QStringLiteral("-f"), QStringLiteral("ihex"), QStringLiteral("--address"), QStringLiteral("0xFFFC"),
                 QStringLiteral("t.bmp")})
                .err.isEmpty());
    // Packed, its 4 bytes take 5.
    QVERIFY(run({QStringLiteral("-f"), QStringLiteral("ihex"), QStringLiteral("--address"), QStringLiteral("0xFFFC"),
                 QStringLiteral("--compress"), QStringLiteral("packbits"), QStringLiteral("t.bmp")})
                .err.contains(QStringLiteral("ends at 0x10000,")));
}

// A picture's name goes into the header's comment; no name can close that comment or start a new line.
void tst_CliTextOutput::namesCannotLeaveTheirComment()
{
    QDir(dir.path()).mkpath(QStringLiteral("x*/ const char injected[] = \"owned\"; "));
    const QString c51Name = QStringLiteral("x*/ const char injected[] = \"owned\"; /*.bmp");
    picture(c51Name, encodeBmp(workedExample(), 24));
    const Run c51 = run({QStringLiteral("-f"), QStringLiteral("c51"), c51Name});
    QCOMPARE(c51.exitCode, 0);
    QVERIFY(
        c51.out.startsWith("/*----  \xE5\x9B\xBE\xE7\x89\x87\xE6\x96\x87\xE4\xBB\xB6\xE6\x9D\xA5\xE8\x87\xAA\xEF\xBC"
                           "\x9A\xE3\x80\x90x*\\/ const char injected[] = \"owned\"; /\\*.bmp"));
    QCOMPARE(c51.out.count("*/"), 4);
    QCOMPARE(c51.out.count("/*"), 4);
    const QString a51Name = QStringLiteral("a\r\nDB 0FFH\n\u2028\u202E.bmp"); // and a bidirectional override
    picture(a51Name, encodeBmp(workedExample(), 24));
    const Run a51 = run({a51Name});
    QCOMPARE(a51.exitCode, 0);
    QCOMPARE(a51.out.count("\n"), 6);
    QVERIFY(
        QString::fromUtf8(a51.out).startsWith(QStringLiteral(";----  图片文件来自：【a??DB 0FFH???.bmp】  ----\r\n")));
}

void tst_CliTextOutput::headerDeclaresTheArray()
{
    const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name"), QStringLiteral("logo"),
                       QStringLiteral("--layout"), QStringLiteral("vertical"), QStringLiteral("--c-dialect"),
                       QStringLiteral("sdcc"), QStringLiteral("--header"), QStringLiteral("logo.h"),
                       QStringLiteral("-o"), QStringLiteral("logo.c"), QStringLiteral("t.bmp")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(
        QString::fromUtf8(readFile(dir.filePath(QStringLiteral("logo.h")))),
        workedExampleHeader(true, QStringLiteral("t.bmp")) +
            QStringLiteral("#ifndef TESSALINE_LOGO_H\r\n#define TESSALINE_LOGO_H\r\n\r\n"
                           "#ifndef TESSALINE_MONO\r\n#define TESSALINE_MONO 0\r\n#define TESSALINE_GRAY2 1\r\n"
                           "#define TESSALINE_GRAY4 2\r\n#define TESSALINE_GRAY8 3\r\n#define TESSALINE_RGB332 4\r\n"
                           "#define TESSALINE_RGB565 5\r\n#define TESSALINE_RGB888 6\r\n"
                           "#define TESSALINE_HORIZONTAL 0\r\n#define TESSALINE_VERTICAL 1\r\n"
                           "#define TESSALINE_MSB_FIRST 0\r\n#define TESSALINE_LSB_FIRST 1\r\n"
                           "#define TESSALINE_BIG_ENDIAN 0\r\n#define TESSALINE_LITTLE_ENDIAN 1\r\n#endif\r\n\r\n"
                           "#define LOGO_WIDTH 16\r\n#define LOGO_HEIGHT 2\r\n#define LOGO_PAGES 1\r\n"
                           "#define LOGO_PIXEL_FORMAT TESSALINE_MONO\r\n#define LOGO_BITS_PER_PIXEL 1\r\n"
                           "#define LOGO_LAYOUT TESSALINE_VERTICAL\r\n#define LOGO_BIT_ORDER TESSALINE_LSB_FIRST\r\n"
                           "#define LOGO_BYTE_ORDER TESSALINE_BIG_ENDIAN\r\n#define LOGO_FORMAT_VERSION 1\r\n"
                           "#define LOGO_BYTES 16\r\n#define "
                           "LOGO_BACKGROUND 0x0\r\n\r\n"
                           "extern unsigned char __code logo[LOGO_BYTES];\r\n\r\n#endif\r\n"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("logo.c"))).contains("unsigned char __code logo[16] = {"));
    // The assemblers' includes: the sizes as their constants, hexadecimal as each writes it, and the arrays.
    const struct {
        const char *format;
        QByteArray end;
    } includes[] = {{"a51", "LOGO_BYTES EQU 16\r\nLOGO_BACKGROUND EQU 00H\r\nEXTRN CODE (logo)\r\n"},
                    {"sdas", "LOGO_BYTES = 16\r\nLOGO_BACKGROUND = 0x0\r\n\t.globl _logo\r\n"}};
    for (const auto &include : includes) {
        const Run assembler = run({QStringLiteral("-f"), QString::fromLatin1(include.format), QStringLiteral("--name"),
                                   QStringLiteral("logo"), QStringLiteral("--layout"), QStringLiteral("vertical"),
                                   QStringLiteral("--header"), QStringLiteral("logo.inc"), QStringLiteral("-o"),
                                   QStringLiteral("logo.asm"), QStringLiteral("t.bmp")});
        QCOMPARE(assembler.exitCode, 0);
        const QByteArray text = readFile(dir.filePath(QStringLiteral("logo.inc")));
        QVERIFY2(text.endsWith(include.end), text.constData());
    }
    // sdas's C header, beside its include: the arrays in SDCC's spelling, whatever --c-dialect.
    QCOMPARE(run(words("-f sdas --name logo --c-dialect keil --header logo.inc --c-header logo.h -o logo.asm t.bmp"))
                 .exitCode,
             0);
    QVERIFY(readFile(dir.filePath(QStringLiteral("logo.h")))
                .endsWith("extern unsigned char __code logo[LOGO_BYTES];\r\n\r\n#endif\r\n"));
    // A header that cannot be written (a folder stands in its place) fails the run and leaves the output as it was.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.h")));
    const Run failed = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name"), QStringLiteral("x"),
                            QStringLiteral("--header"), QStringLiteral("folder.h"), QStringLiteral("-o"),
                            QStringLiteral("logo.c"), QStringLiteral("t.bmp")});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.err.startsWith(QStringLiteral("tessaline-cli: folder.h: ")), qPrintable(failed.err));
    QVERIFY(readFile(dir.filePath(QStringLiteral("logo.c"))).contains("unsigned char __code logo[16] = {"));
}

void tst_CliTextOutput::batchNamesEachArray()
{
    picture(QStringLiteral("logo-small.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("8x8.gif"), encodeGif({workedExample()}));
    picture(QStringLiteral("data.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("Add.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("标志.bmp"), encodeBmp(workedExample(), 24));
    const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name-prefix"),
                       QStringLiteral("gfx_"), QStringLiteral("--output-dir"), QStringLiteral("named"),
                       QStringLiteral("logo-small.bmp"), QStringLiteral("8x8.gif")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(
        readFile(dir.filePath(QStringLiteral("named/logo-small.c"))).contains("unsigned char code gfx_logo_small[4]"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/8x8.c"))).contains("unsigned char code gfx__8x8[4]"));
    // A batch of one picture: the program's own thread converts it.
    QCOMPARE(run(words("-f hex --output-dir one data.bmp")).exitCode, 0);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("one/data.bin"))), QByteArray("\x81\xFF\x00\x0A", 4));
    // An empty prefix is no prefix: the array is named after its picture, and its mask after it.
    const QByteArray unprefixed = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name-prefix"),
                                       QString(), QStringLiteral("--mask"), QStringLiteral("logo-small.bmp")})
                                      .out;
    QVERIFY2(unprefixed.contains("unsigned char code logo_small[4]") &&
                 unprefixed.contains("unsigned char code logo_small_mask[4]"),
             unprefixed.constData());
    const Run a51 = run({QStringLiteral("--output-dir"), QStringLiteral("named"), QStringLiteral("8x8.gif"),
                         QStringLiteral("data.bmp"), QStringLiteral("Add.bmp"), QStringLiteral("标志.bmp")});
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/8x8.a51"))).contains("\r\n_8x8:\r\nDB   081H"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/data.a51"))).contains("\r\ndata_:\r\nDB   081H"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/Add.a51"))).contains("\r\nAdd_:\r\nDB   081H"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/标志.a51"))).contains("\r\nu6807u5FD7:\r\nDB   081H"));
}

void tst_CliTextOutput::pictureFromStandardInput()
{
    const QByteArray bmp = encodeBmp(workedExample(), 24);
    const Run piped = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("-")}, exampleEpoch, {}, bmp);
    QCOMPARE(piped.exitCode, 0);
    QVERIFY(
        piped.out.startsWith("/*----  \xE5\x9B\xBE\xE7\x89\x87\xE6\x96\x87\xE4\xBB\xB6\xE6\x9D\xA5\xE8\x87\xAA\xEF\xBC"
                             "\x9A\xE3\x80\x90-\xE3\x80\x91"));
    QVERIFY(piped.out.endsWith("0x81, 0xFF, \r\n0x00, 0x0A, \r\n"));
    const Run named = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--picture-name"),
                           QStringLiteral("logo.bmp"), QStringLiteral("-")},
                          exampleEpoch, {}, encodeGif({workedExample()}));
    QCOMPARE(named.out.mid(named.out.indexOf("\r\n", 200)), piped.out.mid(piped.out.indexOf("\r\n", 200)));
    QVERIFY(QString::fromUtf8(named.out).contains(QStringLiteral("【logo.bmp】")));
    // From a file the shell opened: read in place, as any picture file.
    const auto fromFile = [this] {
        const int fd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("t.bmp"))).constData(), O_RDONLY);
        dup2(fd, STDIN_FILENO);
    };
    QCOMPARE(run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("-")}, exampleEpoch, fromFile).out,
             QByteArray("\x81\xFF\x00\x0A", 4));
    QCOMPARE(run({QStringLiteral("-")}).err, QStringLiteral("tessaline-cli: -: standard input is empty\n"));
    // A pipe is held within the budget, a piece at a time: 3 MiB do not fit in 2.
    QVERIFY(run(words("--max-memory 2M -"), exampleEpoch, {}, QByteArray(3 << 20, 'x'))
                .err.startsWith(QStringLiteral("tessaline-cli: -: holding standard input whole takes 3145728 bytes")));
}

QTEST_GUILESS_MAIN(tst_CliTextOutput)
#include "tst_cli_text.moc"
