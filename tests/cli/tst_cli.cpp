#include "decode/bytesource.h"
#include "decode/decoder.h"
#include "export/textencoding.h"
#include "support/badinputs.h"
#include "support/testpictures.h"

#include <QDir>
#include <QtEndian>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace TestPictures;

namespace {

// A51 or C51 text after its header lines (the four, and any about the pixel format).
QByteArray afterHeader(const QByteArray &text)
{
    return text.mid(std::max(text.lastIndexOf("  ----*/\r\n") + 10, text.lastIndexOf("  ----\r\n") + 8));
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

const QByteArray exampleEpoch = "1037369109"; // 2002-11-15 14:05:09 UTC

} // namespace

class tst_Cli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void c51OfTheWorkedExample();
    void a51IsTheDefaultAndDatedNow();
    void everyPictureKind_data();
    void everyPictureKind();
    void outputFileHoldsWhatStandardOutputGets();
    void gbkEncoding();
    void refusedAndUnreadablePictures_data();
    void refusedAndUnreadablePictures();
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();
    void failedOutputKeepsTheOldFile();
    void pathWithSpacesAndChinese();
    void displayOptions_data();
    void displayOptions();
    void pbmReadsBackAsPacked();
    void pngShowsWhatTheDisplayShows_data();
    void pngShowsWhatTheDisplayShows();
    void preview();
    void batchGoesOnPastAFailure();
    void verboseSummary();
    void largePictureInFlatMemory();
    void widestPictureInFlatMemory();
    void outputNeverReplacesAPicture();
    void namesCannotLeaveTheirComment();
    void headerDeclaresTheArray();
    void batchNamesEachArray();
    void pictureFromStandardInput();
    void framesAndTiles_data();
    void framesAndTiles();
    void glyphTables_data();
    void glyphTables();
    void glyphRefusals_data();
    void glyphRefusals();
    void realFontsDrawEveryGb2312Character_data();
    void realFontsDrawEveryGb2312Character();
    void partWayFailureStopsTheStream();
    void badInputsAreRefused_data();
    void badInputsAreRefused();
    void longAndStrangePathsWork();
    void fullDiskKeepsTheOldOutput();
    void runningOutOfMemoryIsSaid();

private:
    Run run(const QStringList &arguments, const QByteArray &epoch = exampleEpoch,
            const std::function<void()> &inChild = {}, const QByteArray &input = {});
    // The converter's peak memory in KiB, run as a child on `arguments`; -1 when it exits otherwise than `exitCode`.
    long peakKiB(const QList<QByteArray> &arguments, int exitCode = 0);
    QString picture(const QString &name, const QByteArray &data);
    QTemporaryDir dir;
};

Run tst_Cli::run(const QStringList &arguments, const QByteArray &epoch, const std::function<void()> &inChild,
                 const QByteArray &input)
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (epoch.isEmpty())
        env.remove(QStringLiteral("SOURCE_DATE_EPOCH"));
    else
        env.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QString::fromLatin1(epoch));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(TESSALINE_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        qFatal("the converter did not finish");
    Run result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// The words of a command line without quotes.
QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ');
}

QString tst_Cli::picture(const QString &name, const QByteArray &data)
{
    writeIn(dir.path(), name, data);
    return name;
}

void tst_Cli::initTestCase()
{
    QVERIFY(dir.isValid());
    picture(QStringLiteral("t.bmp"), encodeBmp(workedExample(), 24));
}

void tst_Cli::c51OfTheWorkedExample()
{
    const Run r = run({QStringLiteral("--format"), QStringLiteral("c51"), QStringLiteral("t.bmp")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(QString::fromUtf8(r.out),
             QStringLiteral("/*----  图片文件来自：【t.bmp】  ----*/\r\n"
                            "/*----  图片宽度：16     图片高度：2  ----*/\r\n"
                            "/*----  本数据文件建立日期：2002-11-15;  建立时间：14:05:09  ----*/\r\n"
                            "/*----  本数据文件由Tessaline【图片数据生成器】V1.0自动生成！  ----*/\r\n"
                            "0x81, 0xFF, \r\n"
                            "0x00, 0x0A, \r\n"));
}

void tst_Cli::a51IsTheDefaultAndDatedNow()
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

void tst_Cli::everyPictureKind_data()
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

    // Colour picture: red and blue become black, green white, only with --convert.
    const QImage colours = fromRows({QStringLiteral("rrggbb##")});
    QTest::newRow("colours, no conversion") << "c.bmp" << encodeBmp(colours, 24) << hex << QByteArray("\x03", 1);
    QTest::newRow("colours, converted") << "c.bmp" << encodeBmp(colours, 24)
                                        << (hex + QStringList{QStringLiteral("-c")}) << QByteArray("\xCF", 1);
}

void tst_Cli::everyPictureKind()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, bytes);
    const Run r = run(options + QStringList{picture(name, content)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out, bytes);
}

void tst_Cli::outputFileHoldsWhatStandardOutputGets()
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
}

void tst_Cli::gbkEncoding()
{
    const Run utf8 = run({QStringLiteral("t.bmp")});
    const Run gbk = run({QStringLiteral("--encoding"), QStringLiteral("gbk"), QStringLiteral("t.bmp")});
    QCOMPARE(gbk.exitCode, 0);
    QCOMPARE(gbk.out, encodeText(QString::fromUtf8(utf8.out), TextEncoding::Gbk).bytes);
    QVERIFY(gbk.out.contains("\xA3\xBA\xA1\xBE")); // ：【 in GBK
}

void tst_Cli::refusedAndUnreadablePictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("options");
    // Held whole to be turned, 30000 x 30000 pixels (of colour 0: the RLE data ends at once) take 3.6 GB.
    const QByteArray tall = rawBmp(40, 30000, 30000, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2);
    QTest::newRow("--rotate 90 past the memory limit")
        << "turn.bmp" << tall
        << QStringLiteral("the turned picture whole takes 3601920000 bytes, more than the "
                          "memory limit of 1073741824 bytes (--max-memory raises it)")
        << QStringList{QStringLiteral("--rotate"), QStringLiteral("90")};
    QTest::newRow("--compress past the 32-bit offsets")
        << "big.bmp" << rawBmp(40, 40000, 40000, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2)
        << QStringLiteral("4800000000 bytes of data may compress to more than the 4 GiB the offsets count")
        << QStringList{"--compress", "packbits",     "--pixel",    "rgb888",       "-f",
                       "hex",        "--max-pixels", "2000000000", "--max-memory", "64G"};
    QTest::newRow("past --max-pixels 63") << "small.bmp" << encodeBmp(solid(8, 8, qRgb(0, 0, 0)), 24)
                                          << QStringLiteral("8 x 8 pixels, more than the limit of 63 pixels")
                                          << QStringList{QStringLiteral("--max-pixels"), QStringLiteral("63")};
    QTest::newRow("past --max-memory 1K, interlaced")
        << "interlaced.gif" << encodeGif({solid(32, 32, qRgb(0, 0, 0))}, std::nullopt, {}, true)
        << QStringLiteral("holding the interlaced GIF frame whole takes 1024 bytes")
        << QStringList{"--max-memory", "1023"};
    // A frame that restores what was under it keeps a second copy of the 16 x 16 screen: 2 x 1024 bytes.
    const GifFrame restored{solid(16, 16, qRgb(0, 0, 0)), {}, 3};
    QTest::newRow("past --max-memory 2047, disposal 3")
        << "restores.gif" << encodeGif({restored, restored}, QSize(16, 16))
        << QStringLiteral("the animation's picture whole takes 2048 bytes")
        << QStringList{"--frames", "--max-memory", "2047"};
    // Budget: the screen (16384 bytes) and the sheet (49152) are held at once.
    const GifFrame corner{solid(1, 1, qRgb(0, 0, 0)), {}, 0, 0, std::nullopt};
    QTest::newRow("--max-memory 60000: the screen and the sheet summed")
        << "summed.gif" << encodeGif({corner, corner, corner, corner}, QSize(64, 64))
        << QStringLiteral("the sheet of the frames whole takes 49152 bytes beside the 16384 bytes already held")
        << QStringList{"--frames", "--pixel", "rgb888", "-f", "png", "--max-memory", "60000"};
    const GifFrame wide{solid(64, 64, qRgb(0, 0, 0)), {}, 0, 0, std::nullopt};
    QTest::newRow("--frames: pixels off the screen count")
        << "offscreen.gif" << encodeGif({wide, wide}, QSize(8, 1)) << QStringLiteral("frames are more than 5000 pixels")
        << QStringList{"--frames", "--max-pixels", "5000"};
    QTest::newRow("--tile 1x1: more tiles than a table counts")
        << "tiles1.bmp" << encodeBmp(solid(512, 512, qRgb(0, 0, 0)), 1)
        << QStringLiteral("cuts into 262144 tiles of 1 x 1, more than the 65535") << QStringList{"--tile", "1x1"};
    QByteArray scans = encodeJpeg(solid(16, 16, qRgb(0, 0, 0)), JpegCoding::Progressive);
    scans.replace(scans.indexOf("\xFF\xC2") + 5, 4, QByteArray("\x80\x00\x80\x00", 4)); // 32768 x 32768
    QTest::newRow("progressive JPEG: scans times pixels")
        << "scans.jpg" << scans << QStringLiteral("10 scans of 32768 x 32768 pixels") << QStringList();
    QByteArray farOffset = encodeBmp(workedExample(), 24);
    farOffset.replace(10, 4, QByteArray(4, '\xFF'));
    QTest::newRow("BMP pixels at 0xFFFFFFFF") << "far.bmp" << farOffset << QStringLiteral("cut short") << QStringList();
    QTest::newRow("width 100") << "w100.bmp" << encodeBmp(solid(100, 4, qRgb(0, 0, 0)), 24)
                               << QStringLiteral("the picture is 100 pixels wide; the width must be a multiple of 8 "
                                                 "(or use --pad)")
                               << QStringList();
    QTest::newRow("width 401") << "w401.gif" << encodeGif({solid(401, 2, qRgb(0, 0, 0))})
                               << QStringLiteral("the picture, turned, is 2 pixels wide")
                               << QStringList{QStringLiteral("--rotate"), QStringLiteral("90")};
    QTest::newRow("text named .bmp") << "text.bmp" << QByteArray("not a picture")
                                     << QStringLiteral("not a BMP, JPEG, GIF or PNG") << QStringList();
    QTest::newRow("empty file") << "empty.jpg" << QByteArray() << QStringLiteral("the file is empty") << QStringList();
    QTest::newRow("missing file") << "missing.bmp" << QByteArray() << QStringLiteral("no such file") << QStringList();
    const QByteArray png = encodePng(workedExample(), 2, 8);
    QTest::newRow("--tile: no whole number of tiles")
        << "tiles.bmp" << encodeBmp(workedExample(), 24)
        << QStringLiteral("the picture is 16 x 2 pixels, no whole number of tiles of 8 x 4")
        << QStringList{"--tile", "8x4"};
    QTest::newRow("--frames of a BMP") << "still.bmp" << encodeBmp(workedExample(), 24)
                                       << QStringLiteral("--frames reads animated GIFs") << QStringList{"--frames"};
    QTest::newRow("PNG cut short") << "cut.png" << png.left(png.size() - 20) << QStringLiteral("cut short")
                                   << QStringList();
    QByteArray badCrc = png; // the pixel data whole, its chunk's check sum wrong
    const qsizetype idat = badCrc.indexOf("IDAT");
    const qsizetype crc = idat + 4 + qsizetype(qFromBigEndian<quint32>(badCrc.constData() + idat - 4));
    badCrc[crc] = char(badCrc[crc] ^ 0x01);
    QTest::newRow("PNG with a CRC error") << "crc.png" << badCrc << QStringLiteral("CRC error") << QStringList();
}

void tst_Cli::refusedAndUnreadablePictures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(QStringList, options);
    if (name != u"missing.bmp")
        picture(name, content);
    QVERIFY(writeFile(dir.filePath(QStringLiteral("keep.txt")), "old"));
    const Run r = run(options + QStringList{QStringLiteral("-o"), QStringLiteral("keep.txt"), name});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ") + name + QStringLiteral(": ")), qPrintable(r.err));
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(r.err.count(u'\n'), 1);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("keep.txt"))), QByteArray("old"));
}

void tst_Cli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no picture") << QStringList{};
    QTest::newRow("two pictures") << QStringList{QStringLiteral("t.bmp"), QStringLiteral("t.bmp")};
    QTest::newRow("unknown format") << QStringList{QStringLiteral("--format"), QStringLiteral("intel"),
                                                   QStringLiteral("t.bmp")};
    QTest::newRow("unknown encoding") << QStringList{QStringLiteral("-e"), QStringLiteral("latin1"),
                                                     QStringLiteral("t.bmp")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("t.bmp")};
    QTest::newRow("format without value") << QStringList{QStringLiteral("t.bmp"), QStringLiteral("--format")};
    QTest::newRow("--convert and --threshold") << words("--convert --threshold 10 t.bmp");
    QTest::newRow("--threshold and --dither") << words("--threshold 10 --dither bayer4 t.bmp");
    QTest::newRow("--threshold 256") << words("--threshold 256 t.bmp");
    QTest::newRow("--threshold x") << words("--threshold x t.bmp");
    QTest::newRow("--dither halftone") << words("--dither halftone t.bmp");
    QTest::newRow("--rotate 45") << words("--rotate 45 t.bmp");
    QTest::newRow("--flip diagonal") << words("--flip diagonal t.bmp");
    QTest::newRow("--layout diagonal") << words("--layout diagonal t.bmp");
    QTest::newRow("--bit-order middle") << words("--bit-order middle t.bmp");
    QTest::newRow("--name with hex") << words("-f hex --name logo t.bmp");
    QTest::newRow("--name 9lives") << words("--name 9lives t.bmp");
    QTest::newRow("--name int") << words("-f c51 --name int t.bmp");
    QTest::newRow("--name logo-small") << words("-f c51 --name logo-small t.bmp");
    QTest::newRow("--name xdata") << words("-f c51 --name xdata t.bmp");
    QTest::newRow("--name mov, a51") << words("--name mov t.bmp");
    QTest::newRow("--address with a51") << words("--address 16 t.bmp");
    QTest::newRow("--address past 32 bits") << words("-f ihex --address 0x100000000 t.bmp");
    QTest::newRow("--c-dialect borland") << words("-f c51 --c-dialect borland t.bmp");
    QTest::newRow("two pictures, no --output-dir") << words("t.bmp t.bmp");
    QTest::newRow("--output and --output-dir") << words("-o x.a51 --output-dir out t.bmp");
    QTest::newRow("one base name twice") << words("--output-dir twice t.bmp sub/t.bmp");
    QTest::newRow("--max-pixels 0") << words("--max-pixels 0 t.bmp");
    QTest::newRow("--max-pixels past 2^40") << words("--max-pixels 1099511627777 t.bmp");
    QTest::newRow("--max-memory 5T") << words("--max-memory 5T t.bmp");
    QTest::newRow("--name in a batch") << words("--name logo --output-dir out t.bmp x.bmp");
    QTest::newRow("--header with a51") << words("--header t.h --name t t.bmp");
    QTest::newRow("--header without a name") << words("-f c51 --header t.h t.bmp");
    QTest::newRow("--header in a batch") << words("-f c51 --name-prefix p --header t.h --output-dir out t.bmp x.bmp");
    QTest::newRow("--name-prefix 9") << words("-f c51 --name-prefix 9 t.bmp");
    QTest::newRow("- in a batch") << words("--output-dir out t.bmp -");
    QTest::newRow("two arrays of one name") << words("-f c51 --output-dir out a-b.bmp a_b.gif");
    QTest::newRow("--help-all") << words("--help-all");
    QTest::newRow("--name twice") << words("-f c51 --name a --name b t.bmp");
    QTest::newRow("--pixel gray3") << words("--pixel gray3 t.bmp");
    QTest::newRow("--background grey") << words("--background grey t.bmp");
    QTest::newRow("--background #12345") << words("--background #12345 t.bmp");
    QTest::newRow("--display vt100") << words("--display vt100 t.bmp");
    QTest::newRow("vertical gray4") << words("--pixel gray4 --layout vertical t.bmp");
    QTest::newRow("--display ssd1306 then gray4") << words("--display ssd1306 --pixel gray4 t.bmp");
    QTest::newRow("--threshold with rgb565") << words("--pixel rgb565 --threshold 9 t.bmp");
    QTest::newRow("--convert with gray2") << words("--pixel gray2 --convert t.bmp");
    QTest::newRow("pbm of rgb565") << words("--pixel rgb565 -f pbm t.bmp");
    QTest::newRow("--byte-order with gray4") << words("--pixel gray4 --byte-order little t.bmp");
    QTest::newRow("--bit-order with rgb888") << words("--pixel rgb888 --bit-order lsb t.bmp");
    QTest::newRow("--font and a picture") << words("--font tiny.bdf --text A t.bmp");
    QTest::newRow("--font without characters") << words("--font tiny.bdf");
    QTest::newRow("--text and --charset") << words("--font tiny.bdf --text A --charset ascii");
    QTest::newRow("--text without --font") << words("--text A t.bmp");
    QTest::newRow("--charset big5") << words("--font tiny.bdf --charset big5");
    QTest::newRow("--cell 16") << words("--font tiny.bdf --text A --cell 16");
    QTest::newRow("--frames and --tile") << words("--frames --tile 8x8 t.bmp");
    QTest::newRow("--tile 8") << words("--tile 8 t.bmp");
    QTest::newRow("--compress zip") << words("--compress zip t.bmp");
    QTest::newRow("--compress with png") << words("--compress packbits -f png t.bmp");
    QTest::newRow("--frames with --font") << words("--frames --font tiny.bdf --text A");
}

void tst_Cli::usageErrors()
{
    QFETCH(QStringList, arguments);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ")), qPrintable(r.err));
}

void tst_Cli::helpAndVersion()
{
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith("Usage: tessaline-cli [options] PICTURE...\n"));
    QVERIFY(help.out.contains("the raw packed bytes, Intel HEX records of them")); // the description
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
    QCOMPARE(version.out, QByteArray("tessaline-cli 1.0\n"));
    QVERIFY(run({QStringLiteral("t.bmp")}, "0").out.contains("1970-01-01;"));
    const Run badEpoch = run({QStringLiteral("t.bmp")}, "tomorrow");
    QCOMPARE(badEpoch.exitCode, 2);
    QVERIFY(badEpoch.err.contains(QStringLiteral("SOURCE_DATE_EPOCH")));
}

void tst_Cli::failedOutputKeepsTheOldFile()
{
    QTemporaryDir out;
    QVERIFY(QDir().mkdir(out.filePath(QStringLiteral("code.txt"))));
    const Run intoDirectory =
        run({QStringLiteral("-o"), out.filePath(QStringLiteral("code.txt")), QStringLiteral("t.bmp")});
    QCOMPARE(intoDirectory.exitCode, 1);
    QVERIFY2(intoDirectory.err.contains(out.filePath(QStringLiteral("code.txt"))), qPrintable(intoDirectory.err));
    QVERIFY(QFileInfo(out.filePath(QStringLiteral("code.txt"))).isDir());

    const Run intoMissingFolder =
        run({QStringLiteral("-o"), out.filePath(QStringLiteral("no/code.txt")), QStringLiteral("t.bmp")});
    QCOMPARE(intoMissingFolder.exitCode, 1);
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("code.txt")});
}

void tst_Cli::pathWithSpacesAndChinese()
{
    const QString name = QStringLiteral("我的 图片 (1).bmp");
    picture(name, encodeBmp(workedExample(), 8));
    const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), name});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QString::fromUtf8(r.out).startsWith(QStringLiteral("/*----  图片文件来自：【") + name +
                                                QStringLiteral("】  ----*/\r\n")));
}

void tst_Cli::displayOptions_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QByteArray>("data"); // the bytes, or for a51 and c51 the text after the header

    QImage dot = solid(8, 8, qRgb(255, 255, 255));
    dot.setPixel(0, 0, qRgb(0, 0, 0));
    const QByteArray dotBmp = encodeBmp(dot, 24);
    const QByteArray zeros7(7, '\0');
    QTest::newRow("horizontal: pixel (0, 0) in bit 7") << dotBmp << "-f hex"
                                                       << "\x80" + QByteArray(7, '\0');
    QTest::newRow("horizontal, lsb: in bit 0") << dotBmp << "-f hex --bit-order lsb"
                                               << "\x01" + zeros7;
    QTest::newRow("vertical: in bit 0") << dotBmp << "-f hex --layout vertical"
                                        << "\x01" + zeros7;
    // Black at 0, 2, 6 and 7 of a row (or of a column): A3 with the first pixel in bit 7, C5 in bit 0.
    const QByteArray row = encodeBmp(fromRows({QStringLiteral("#.#...##")}), 24);
    QImage column = solid(1, 8, qRgb(255, 255, 255));
    for (int y : {0, 2, 6, 7})
        column.setPixel(0, y, qRgb(0, 0, 0));
    QTest::newRow("horizontal, msb: a pattern") << row << "-f hex" << QByteArray("\xA3");
    QTest::newRow("horizontal, lsb: a pattern") << row << "-f hex --bit-order lsb" << QByteArray("\xC5");
    QTest::newRow("vertical, lsb: a pattern")
        << encodeBmp(column, 24) << "-f hex --layout vertical" << QByteArray("\xC5");
    QTest::newRow("vertical, msb: a pattern")
        << encodeBmp(column, 24) << "-f hex --layout vertical --bit-order msb" << QByteArray("\xA3");
    QTest::newRow("vertical, msb: in bit 7") << dotBmp << "-f hex --layout vertical --bit-order msb"
                                             << "\x80" + zeros7;
    QTest::newRow("vertical, c51: a page a line")
        << dotBmp << "-f c51 --layout vertical" << QByteArray("0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, \r\n");
    QTest::newRow("vertical, 17 wide: 16 entries a line")
        << encodeBmp(solid(17, 8, qRgb(255, 255, 255)), 24) << "-f a51 --layout vertical"
        << QByteArray("DB   000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, 000H, "
                      "000H\r\nDB   000H\r\n");
    QTest::newRow("vertical: 3 rows padded to a page")
        << encodeBmp(solid(8, 3, qRgb(0, 0, 0)), 24) << "-f hex --layout vertical" << QByteArray(8, '\x07');
    QImage tenWide = solid(10, 3, qRgb(255, 255, 255));
    tenWide.setPixel(9, 0, qRgb(0, 0, 0));
    QTest::newRow("pbm, vertical, 10 x 3: rows of whole bytes, a whole page")
        << encodeBmp(tenWide, 24) << "-f pbm --layout vertical"
        << QByteArray("P4\n10 8\n\x00\x40", 10) + QByteArray(14, '\0');
    QTest::newRow("--pad: a 10-pixel row")
        << encodeBmp(fromRows({QStringLiteral("#........#")}), 24) << "-f hex --pad" << QByteArray("\x80\x40", 2);
    QTest::newRow("--invert: the worked example")
        << encodeBmp(workedExample(), 24) << "-f hex --invert" << QByteArray("\x7E\x00\xFF\xF5", 4);
    QImage ramp(8, 1, QImage::Format_RGB32);
    const int greys[8] = {0, 64, 127, 128, 129, 200, 255, 100};
    for (int x = 0; x < 8; ++x)
        ramp.setPixel(x, 0, qRgb(greys[x], greys[x], greys[x]));
    QTest::newRow("--threshold 128: a grey ramp")
        << encodeBmp(ramp, 24) << "-f hex --threshold 128" << QByteArray("\xE1", 1);
    QTest::newRow("--dither bayer4: 4 x 4 mid-grey")
        << encodeBmp(solid(4, 4, qRgb(128, 128, 128)), 24) << "-f hex --dither bayer4 --pad"
        << QByteArray("\x50\xA0\x50\xA0");
    // Worked by hand: errors handed on 7/16, 3/16, 5/16, 1/16 (1/8 to six for Atkinson), rounded toward zero.
    QTest::newRow("--dither floyd-steinberg: 8 x 2 grey 100")
        << encodeBmp(solid(8, 2, qRgb(100, 100, 100)), 24) << "-f hex --dither floyd-steinberg"
        << QByteArray("\xB6\xAB");
    QTest::newRow("--dither atkinson: 8 x 1 grey 100")
        << encodeBmp(solid(8, 1, qRgb(100, 100, 100)), 24) << "-f hex --dither atkinson" << QByteArray("\xEF");

    // 16 x 8, one black pixel at (1, 2).
    QImage one = solid(16, 8, qRgb(255, 255, 255));
    one.setPixel(1, 2, qRgb(0, 0, 0));
    const QByteArray oneBmp = encodeBmp(one, 24);
    const auto at = [](int index, char byte) {
        QByteArray bytes(16, '\0');
        bytes[index] = byte;
        return bytes;
    };
    QTest::newRow("not turned") << oneBmp << "-f hex" << at(4, '\x40');
    QTest::newRow("--rotate 90") << oneBmp << "-f hex --rotate 90" << at(1, '\x04');
    QTest::newRow("--rotate 180") << oneBmp << "-f hex --rotate 180" << at(11, '\x02');
    QTest::newRow("--rotate 270") << oneBmp << "-f hex --rotate 270" << at(14, '\x20');
    QTest::newRow("--flip horizontal") << oneBmp << "-f hex --flip horizontal" << at(5, '\x02');
    QTest::newRow("--flip vertical") << oneBmp << "-f hex --flip vertical" << at(10, '\x40');
    QTest::newRow("--rotate 90 --flip horizontal: the rotation first")
        << oneBmp << "-f hex --rotate 90 --flip horizontal" << at(1, '\x20');

    // Grey and colour: a ramp of 0, 85, 170, 255; red, green, blue and white.
    QImage ramp4(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        ramp4.setPixel(x, 0, qRgb(85 * x, 85 * x, 85 * x));
    const QByteArray rampBmp = encodeBmp(ramp4, 24);
    const QByteArray rgbw = encodeBmp(fromRows({QStringLiteral("rgb.")}), 24);
    QTest::newRow("gray2: a ramp, the leftmost in the high bits")
        << rampBmp << "-f hex --pixel gray2" << QByteArray("\x1B");
    QTest::newRow("gray2, lsb: the leftmost in the low bits")
        << rampBmp << "-f hex --pixel gray2 --bit-order lsb" << QByteArray("\xE4");
    QTest::newRow("gray2, --invert: 3 - level") << rampBmp << "-f hex --pixel gray2 --invert" << QByteArray("\xE4");
    QTest::newRow("gray4: 0, 5, 10, 15") << rampBmp << "-f hex --pixel gray4" << QByteArray("\x05\xAF", 2);
    QTest::newRow("gray4: white and black")
        << encodeBmp(fromRows({QStringLiteral("..##")}), 24) << "-f hex --pixel gray4" << QByteArray("\xFF\x00", 2);
    QTest::newRow("gray4, --pad: 3 black and white padding")
        << encodeBmp(fromRows({QStringLiteral("###")}), 24) << "-f hex --pixel gray4 --pad"
        << QByteArray("\x00\x0F", 2);
    QTest::newRow("gray8: the luminance") << rampBmp << "-f hex --pixel gray8" << QByteArray("\x00\x55\xAA\xFF", 4);
    QImage halves = solid(2, 1, qRgb(1, 123, 0)); // luminances 72.5 and 73.5
    halves.setPixel(1, 0, qRgb(2, 124, 1));
    QTest::newRow("gray8: a half rounds to even")
        << encodeBmp(halves, 24) << "-f hex --pixel gray8" << QByteArray("\x48\x4A", 2);
    QTest::newRow("rgb565, big-endian") << rgbw << "-f hex --pixel rgb565"
                                        << QByteArray("\xF8\x00\x07\xE0\x00\x1F\xFF\xFF", 8);
    QTest::newRow("rgb565, --pad: whole bytes already")
        << rgbw << "-f hex --pixel rgb565 --pad" << QByteArray("\xF8\x00\x07\xE0\x00\x1F\xFF\xFF", 8);
    QTest::newRow("rgb565, little-endian")
        << rgbw << "-f hex --pixel rgb565 --byte-order little" << QByteArray("\x00\xF8\xE0\x07\x1F\x00\xFF\xFF", 8);
    QTest::newRow("rgb332") << rgbw << "-f hex --pixel rgb332" << QByteArray("\xE0\x1C\x03\xFF", 4);
    QTest::newRow("rgb888") << rgbw << "-f hex --pixel rgb888"
                            << QByteArray("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    QTest::newRow("rgb565, --invert: every bit")
        << rgbw << "-f hex --pixel rgb565 --invert" << QByteArray("\x07\xFF\xF8\x1F\xFF\xE0\x00\x00", 8);
    QTest::newRow("--display ssd1322: gray4") << rampBmp << "-f hex --display ssd1322" << QByteArray("\x05\xAF", 2);
    QTest::newRow("--display st7789, then --byte-order little")
        << rgbw << "-f hex --display st7789 --byte-order little" << QByteArray("\x00\xF8\xE0\x07\x1F\x00\xFF\xFF", 8);
    QTest::newRow("--display ssd1306: vertical, lsb") << dotBmp << "-f hex --display ssd1306"
                                                      << "\x01" + zeros7;
    QTest::newRow("--layout vertical, then --display st7920: horizontal, msb")
        << dotBmp << "-f hex --layout vertical --display st7920"
        << "\x80" + zeros7;
    QTest::newRow("c51 rgb565: the header says how the bytes go")
        << encodeBmp(fromRows({QStringLiteral("r")}), 24) << "-f c51 --pixel rgb565"
        << QString::fromUtf8("/*----  像素格式：rgb565（R<<11 | G<<5 | B），每像素2字节，高字节在前  ----*/\r\n"
                             "0xF8, 0x00, \r\n")
               .toUtf8();
    // A clear pixel over the background: red, then the GIF's clear colour (green).
    const QByteArray clearGif = encodeGif({fromRows({QStringLiteral("rg")})}, qRgb(0, 255, 0));
    QTest::newRow("clear over white, the default")
        << clearGif << "-f hex --pixel rgb888" << QByteArray("\xFF\x00\x00\xFF\xFF\xFF", 6);
    QTest::newRow("clear over black") << clearGif << "-f hex --pixel rgb888 --background black"
                                      << QByteArray("\xFF\x00\x00\x00\x00\x00", 6);
    QTest::newRow("clear over #336699") << clearGif << "-f hex --pixel rgb888 --background #336699"
                                        << QByteArray("\xFF\x00\x00\x33\x66\x99", 6);
    const QByteArray allClear = encodeGif({fromRows({QStringLiteral("gggggggg")})}, qRgb(0, 255, 0));
    QTest::newRow("mono, clear over white") << allClear << "-f hex" << QByteArray("\x00", 1);
    QTest::newRow("mono, clear over black: black") << allClear << "-f hex --background black" << QByteArray("\xFF");

    // The worked example as PNG of every colour type gives the BMP's bytes; a clear pixel (1, 0) reads as white.
    QImage clear = workedExample().convertToFormat(QImage::Format_ARGB32);
    clear.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const QByteArray worked("\x81\xFF\x00\x0A", 4);
    QTest::newRow("BMP") << encodeBmp(workedExample(), 24) << "-f hex" << worked;
    const QByteArray workedBmp = encodeBmp(workedExample(), 24);
    QTest::newRow("ihex: the worked example")
        << workedBmp << "-f ihex" << QByteArray(":0400000081FF000A72\r\n:00000001FF\r\n");
    QTest::newRow("ihex: over a 64 KiB boundary")
        << encodeBmp(solid(64, 3, qRgb(255, 255, 255)), 24) << "-f ihex --address 0xFFF0"
        << QByteArray(":10FFF0000000000000000000000000000000000001\r\n"
                      ":020000040001F9\r\n"
                      ":080000000000000000000000F8\r\n"
                      ":00000001FF\r\n");
    QTest::newRow("ihex: above 64 KiB from the first byte") << workedBmp << "-f ihex --address 74565"
                                                            << QByteArray(":020000040001F9\r\n"
                                                                          ":0423450081FF000A0A\r\n:00000001FF\r\n");
    QTest::newRow("--name, a51: a label")
        << workedBmp << "-f a51 --name logo" << QByteArray("logo:\r\nDB   081H, 0FFH\r\nDB   000H, 00AH\r\n");
    QTest::newRow("--name, c51: an array") << workedBmp << "-f c51 --name logo"
                                           << QByteArray("unsigned char code logo[4] = {\r\n0x81, 0xFF, \r\n"
                                                         "0x00, 0x0A, \r\n};\r\n");
    QTest::newRow("--name, c51 for SDCC") << workedBmp << "-f c51 --name logo --c-dialect sdcc"
                                          << QByteArray("unsigned char __code logo[4] = {\r\n0x81, 0xFF, \r\n"
                                                        "0x00, 0x0A, \r\n};\r\n");
    const struct {
        int type, depth;
        bool interlaced;
    } pngs[] = {{0, 1, false}, {0, 2, true}, {0, 8, false}, {0, 16, false}, {2, 8, false}, {2, 16, true}, {3, 1, false},
                {3, 4, false}, {3, 8, true}, {4, 8, false}, {4, 16, false}, {6, 8, true},  {6, 16, false}};
    for (const auto &png : pngs)
        QTest::addRow("PNG, colour type %d, %d bits%s", png.type, png.depth, png.interlaced ? ", interlaced" : "")
            << encodePng(png.type >= 4 || (png.type == 3 && png.depth > 1) ? clear : workedExample(), png.type,
                         png.depth, png.interlaced)
            << "-f hex" << worked;
}

void tst_Cli::displayOptions()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, options);
    QFETCH(QByteArray, data);
    const Run r = run(options.split(u' ') + QStringList{picture(QStringLiteral("options.pic"), file)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QByteArray out = r.out;
    if (options.contains(QStringLiteral("a51")) || options.contains(QStringLiteral("c51")))
        out = out.mid(out.indexOf("\r\n", out.indexOf("V1.0")) + 2); // after the fourth header line
    QCOMPARE(out.toHex(' '), data.toHex(' '));
}

// The PBM is the picture as packed, before --invert: Qt reads it back as the packed picture, black on white.
void tst_Cli::pbmReadsBackAsPacked()
{
    const Run r = run({QStringLiteral("-f"), QStringLiteral("pbm"), QStringLiteral("--invert"), QStringLiteral("--pad"),
                       picture(QStringLiteral("p.bmp"), encodeBmp(fromRows({QStringLiteral("#.#.#.#.##")}), 24))});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith("P4\n16 1\n"));
    const QImage pbm = QImage::fromData(r.out, "PBM");
    QCOMPARE(pbm.size(), QSize(16, 1));
    const QString expected = QStringLiteral("#.#.#.#.##......");
    for (int x = 0; x < 16; ++x)
        QCOMPARE(qGray(pbm.pixel(x, 0)) < 128, expected[x] == u'#');
}

void tst_Cli::pngShowsWhatTheDisplayShows_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QList<QRgb>>("pixels"); // the first row, as Qt reads the PNG
    QImage ramp(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        ramp.setPixel(x, 0, qRgb(80 * x, 80 * x, 80 * x));
    // 80, 160, 240 are levels 1, 2, 3 of gray2 (85, 170, 255 shown) and 5, 9, 14 of gray4 (85, 153, 238).
    QTest::newRow("gray2, after --invert")
        << encodeBmp(ramp, 24) << "--pixel gray2 --invert"
        << QList<QRgb>{qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170), qRgb(255, 255, 255)};
    QTest::newRow("gray4, padded white") << encodeBmp(ramp.copy(0, 0, 3, 1), 24) << "--pixel gray4 --pad"
                                         << QList<QRgb>{qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(153, 153, 153),
                                                        qRgb(255, 255, 255)};
    // 100 is 12 of 31 (99 shown) and 25 of 63 (101 shown).
    QTest::newRow("rgb565") << encodeBmp(solid(1, 1, qRgb(100, 100, 100)), 24) << "--pixel rgb565"
                            << QList<QRgb>{qRgb(99, 101, 99)};
    QTest::newRow("mono") << encodeBmp(workedExample(), 24) << "" << QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    // Wider than libpng lets its readers take by default.
    QImage wide = solid(1000008, 1, qRgb(255, 255, 255));
    wide.setPixel(0, 0, qRgb(0, 0, 0));
    QTest::newRow("mono, a million pixels wide") << encodeBmp(wide.convertToFormat(QImage::Format_Mono), 1) << ""
                                                 << QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)};
}

void tst_Cli::pngShowsWhatTheDisplayShows()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, options);
    QFETCH(QList<QRgb>, pixels);
    const Run r = run(QStringList{QStringLiteral("-f"), QStringLiteral("png"), picture(QStringLiteral("s.bmp"), file)} +
                      options.split(u' ', Qt::SkipEmptyParts));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QString error;
    const auto shown = openPicture(memorySource(r.out), PictureLimits{PictureFormats::AllFormats, Limits{}}, &error);
    QVERIFY2(shown, qPrintable(error));
    std::vector<QRgb> row(std::size_t(shown->width()));
    QVERIFY(shown->readRow(row.data()));
    for (int x = 0; x < pixels.size(); ++x)
        QCOMPARE(QString::number(row[std::size_t(x)] & 0xFFFFFF, 16), QString::number(pixels[x] & 0xFFFFFF, 16));
}

void tst_Cli::preview()
{
    QImage dot = solid(8, 8, qRgb(255, 255, 255));
    dot.setPixel(0, 0, qRgb(0, 0, 0));
    const QString dotBmp = picture(QStringLiteral("dot.bmp"), encodeBmp(dot, 24));
    const Run full = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    QCOMPARE(full.exitCode, 0);
    QCOMPARE(full.err, QStringLiteral("▀       \n        \n        \n        \n"));
    qputenv("COLUMNS", "4");
    const Run scaled = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    qunsetenv("COLUMNS");
    QCOMPARE(scaled.err, QStringLiteral("(scaled down 2 times to fit 4 columns)\n▀   \n    \n"));
    QCOMPARE(scaled.out, full.out);
    // One row at half scale: a cell row of one picture row is drawn all the same.
    qputenv("COLUMNS", "4");
    const Run oneRow = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"),
                            picture(QStringLiteral("row.bmp"), encodeBmp(fromRows({QStringLiteral("#.......")}), 24))});
    qunsetenv("COLUMNS");
    QCOMPARE(oneRow.err, QStringLiteral("(scaled down 2 times to fit 4 columns)\n▀   \n"));
    qputenv("COLUMNS", "2147483647"); // wider than any picture: no scaling, and no overflow on the way
    const Run wide = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    qunsetenv("COLUMNS");
    QCOMPARE(wide.err, full.err);
    // In a batch a picture's preview waits for the picture to end, so it is kept only up to a bound: 8 x 2^20
    // black pixels would draw half a million lines.
    const QString tall = picture(QStringLiteral("tall.bmp"),
                                 rawBmp(40, 8, 1 << 20, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2));
    const Run batch = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"),
                           QStringLiteral("--output-dir"), QStringLiteral("tall"), tall, dotBmp});
    QCOMPARE(batch.exitCode, 0);
    QVERIFY2(batch.err.size() < (1 << 20) + 4096, qPrintable(QString::number(batch.err.size())));
    QVERIFY(batch.err.contains(QStringLiteral("████████\n(the rest of the preview is left out: a batch keeps "
                                              "1048576 characters of it a picture)\n")));
    QVERIFY(batch.err.contains(full.err));
    // Colour in terminal colours: the upper pixel's over the lower's, white below the last row.
    const Run colour =
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--pixel"), QStringLiteral("rgb565"),
             QStringLiteral("--preview"),
             picture(QStringLiteral("c.bmp"),
                     encodeBmp(fromRows({QStringLiteral("rg"), QStringLiteral("b."), QStringLiteral("#b")}), 24))});
    QCOMPARE(colour.err,
             QStringLiteral("\x1b[38;2;255;0;0m\x1b[48;2;0;0;255m▀\x1b[38;2;0;255;0m\x1b[48;2;255;255;255m▀"
                            "\x1b[0m\n"
                            "\x1b[38;2;0;0;0m\x1b[48;2;255;255;255m▀\x1b[38;2;0;0;255m\x1b[48;2;255;255;255m▀"
                            "\x1b[0m\n"));
    // Scaled down, each cell the mean of its pixels; the last, one pixel wide, of its own pixels only.
    qputenv("COLUMNS", "2");
    const Run scaledColour = run(
        {QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--pixel"), QStringLiteral("rgb565"),
         QStringLiteral("--preview"),
         picture(QStringLiteral("s.bmp"), encodeBmp(fromRows({QStringLiteral("rgb"), QStringLiteral("rgb")}), 24))});
    qunsetenv("COLUMNS");
    QCOMPARE(scaledColour.err,
             QStringLiteral("(scaled down 2 times to fit 2 columns)\n"
                            "\x1b[38;2;128;128;0m\x1b[48;2;255;255;255m▀\x1b[38;2;0;0;255m\x1b[48;2;255;255;255m▀"
                            "\x1b[0m\n"));
}

void tst_Cli::batchGoesOnPastAFailure()
{
    QDir(dir.path()).mkdir(QStringLiteral("batch"));
    picture(QStringLiteral("batch/a.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("batch/b.gif"), encodeGif({workedExample()}));
    picture(QStringLiteral("batch/c.jpg"), QByteArray("not a picture"));
    const Run r =
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--output-dir"), QStringLiteral("out"),
             QStringLiteral("batch/a.bmp"), QStringLiteral("batch/c.jpg"), QStringLiteral("batch/b.gif")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err.count(u'\n'), 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: batch/c.jpg: ")), qPrintable(r.err));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files), (QStringList{"a.bin", "b.bin"}));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("out/a.bin"))), QByteArray("\x81\xFF\x00\x0A", 4));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("out/b.bin"))), QByteArray("\x81\xFF\x00\x0A", 4));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("twice")))); // the usage error wrote nothing
    // Pictures that each fit the memory limit alone (20480 bytes turned), but not two at once, all convert.
    QStringList turned = words("--rotate 90 -f hex --max-memory 30000 --output-dir turned");
    for (int i = 0; i < 16; ++i)
        turned << picture(QStringLiteral("batch/t%1.bmp").arg(i), encodeBmp(solid(64, 64, qRgb(0, 0, 0)), 1));
    const Run all = run(turned);
    QVERIFY2(all.exitCode == 0, qPrintable(all.err));
}

void tst_Cli::verboseSummary()
{
    // 1024 x 520 pixels, 66560 bytes: more than one 8051 code bank.
    const Run r = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--verbose"), QStringLiteral("-o"),
                       QStringLiteral("bank.bin"), picture(QStringLiteral("bank.bmp"), largeMonochromeBmp(1024, 520))});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err,
             QStringLiteral("tessaline-cli: bank.bmp: 1024 x 520 pixels, packed as 1024 x 520, hex, 66560 bytes "
                            "of data\ntessaline-cli: bank.bmp: warning: 66560 bytes of data, more than the 64 KiB "
                            "(65536 bytes) that one 8051 code bank holds\n"));
    QCOMPARE(
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--verbose"), QStringLiteral("--compress"),
             QStringLiteral("packbits"), QStringLiteral("-o"), QStringLiteral("bank.bin"), QStringLiteral("t.bmp")})
            .err.section(u'\n', 0, 0),
        QStringLiteral("tessaline-cli: t.bmp: 1 frame of 4 bytes, 4 bytes packed into 5 (125.0 %)"));
    // A picture larger than the display's screen: said; one that fits turned fits a display that turns.
    const Run small =
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("pcd8544"),
             QStringLiteral("-o"), QStringLiteral("bank.bin"), QStringLiteral("bank.bmp")});
    QCOMPARE(small.err, QStringLiteral("tessaline-cli: bank.bmp: warning: the picture is 1024 x 520 pixels, larger "
                                       "than the pcd8544's screen of 84 x 48\n"));
    const QString wide = picture(QStringLiteral("wide.bmp"), encodeBmp(solid(160, 128, qRgb(0, 0, 0)), 24));
    QVERIFY(
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("st7735"), wide})
            .err.isEmpty());
    QVERIFY(!run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("ssd1322"),
                  wide})
                 .err.isEmpty());
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

long tst_Cli::peakKiB(const QList<QByteArray> &options, int exitCode)
{
    QList<QByteArray> arguments = QList<QByteArray>{TESSALINE_CLI} + options;
    std::vector<char *> argv;
    for (QByteArray &a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != exitCode)
        return -1;
#if defined(__SANITIZE_ADDRESS__) // its shadow memory and quarantine would be counted too
    return 0;
#endif
    return usage.ru_maxrss;
}

void tst_Cli::largePictureInFlatMemory()
{
    // 20000 x 20000 pixels, 50 MB of 1-bit BMP: the converter holds a few rows, never the picture.
    const QString bmp = picture(QStringLiteral("large.bmp"), largeMonochromeBmp(20000, 20000));
    const long peak = peakKiB(
        {"-f", "hex", "-o", QFile::encodeName(dir.filePath("large.hex")), QFile::encodeName(dir.filePath(bmp))});
    QVERIFY2(peak >= 0 && peak < 64 * 1024, qPrintable(QStringLiteral("peak %1 KiB").arg(peak)));

    QFile hex(dir.filePath(QStringLiteral("large.hex")));
    QVERIFY(hex.open(QIODevice::ReadOnly));
    QCOMPARE(hex.size(), qint64(50000000));
    for (const auto &[c, y] : {std::pair{0, 0}, {2499, 0}, {0, 19999}, {2499, 19999}, {1234, 5678}}) {
        hex.seek(qint64(y) * 2500 + c);
        QCOMPARE(quint8(hex.read(1).at(0)), quint8(~((c + y) & 0xFF)));
    }
    hex.remove();
    QFile::remove(dir.filePath(bmp));
}

// The widest picture there may be, 2^20 pixels, of RLE data that ends at once: a few rows' worth of memory.
void tst_Cli::widestPictureInFlatMemory()
{
    const QString bmp = picture(QStringLiteral("wide.bmp"),
                                rawBmp(40, 1 << 20, 16, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2));
    const long peak = peakKiB({"--pad", "--preview", "-o", "/dev/null", QFile::encodeName(dir.filePath(bmp))});
    QVERIFY2(peak >= 0 && peak < 64 * 1024, qPrintable(QStringLiteral("peak %1 KiB").arg(peak)));
    // A sheet of 4096 frames side by side, 201 MB, is refused before it is made.
    const QString gif = picture(
        QStringLiteral("sheet.gif"),
        encodeGif(QList<GifFrame>(4096, {solid(1, 1, qRgb(0, 0, 0)), {}, 0, 0, std::nullopt}), QSize(128, 128)));
    const long refused = peakKiB({"--frames", "--pixel", "rgb888", "-f", "png", "--max-memory", "10M", "-o",
                                  "/dev/null", QFile::encodeName(dir.filePath(gif))},
                                 1);
    QVERIFY2(refused >= 0 && refused < 64 * 1024, qPrintable(QStringLiteral("peak %1 KiB").arg(refused)));
}

void tst_Cli::outputNeverReplacesAPicture()
{
    const QByteArray bmp = encodeBmp(workedExample(), 24);
    picture(QStringLiteral("same.bmp"), bmp);
    const Run same = run({QStringLiteral("-o"), QStringLiteral("same.bmp"), QStringLiteral("same.bmp")});
    QCOMPARE(same.exitCode, 1);
    QVERIFY2(same.err.startsWith(QStringLiteral("tessaline-cli: same.bmp: is the picture same.bmp itself")),
             qPrintable(same.err));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("same.bmp"))), bmp);
    // A batch into the pictures' own folder, one of them named as another's output would be.
    QDir(dir.path()).mkdir(QStringLiteral("own"));
    picture(QStringLiteral("own/logo.a51"), bmp);
    picture(QStringLiteral("own/t.bmp"), bmp);
    const Run batch = run({QStringLiteral("--output-dir"), QStringLiteral("own"), QStringLiteral("own/t.bmp"),
                           QStringLiteral("own/logo.a51")});
    QCOMPARE(batch.exitCode, 1);
    QVERIFY2(batch.err.contains(QStringLiteral("is the picture own/logo.a51 itself")), qPrintable(batch.err));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("own/logo.a51"))), bmp);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("own/t.a51")))); // nothing written
    // Every input against every output: a text file, a font, standard input that is a file; a header that is
    // the output.
    picture(QStringLiteral("t.txt"), "AB");
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    const auto fromSame = [] {
        const int fd = ::open("same.bmp", O_RDONLY);
        ::dup2(fd, STDIN_FILENO);
    };
    for (const auto &[arguments, message] :
         {std::pair{words("--font tiny.bdf --text-file t.txt -o t.txt"), "t.txt: is the text file t.txt itself"},
          {words("--font tiny.bdf --text-file t.txt -f c51 --name t --header t.txt"), "is the text file t.txt"},
          {words("--font tiny.bdf --text A -o tiny.bdf"), "tiny.bdf: is the font tiny.bdf itself"},
          {words("-f c51 --name o --header o.c -o o.c same.bmp"), "o.c: is both the header and the output"},
          {words("--pad -o same.bmp -"), "same.bmp: is standard input itself"}}) {
        const Run r = run(arguments, exampleEpoch, fromSame);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QLatin1String(message)), qPrintable(r.err));
    }
    QCOMPARE(readFile(dir.filePath(QStringLiteral("t.txt"))), QByteArray("AB"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("same.bmp"))), bmp);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("o.c"))));
}

// A picture's name goes into the header's comment; no name can close that comment or start a new line.
void tst_Cli::namesCannotLeaveTheirComment()
{
    QDir(dir.path()).mkpath(QStringLiteral("x*/ const char injected[] = \"owned\"; "));
    const QString c51Name = QStringLiteral("x*/ const char injected[] = \"owned\"; /*.bmp");
    picture(c51Name, encodeBmp(workedExample(), 24));
    const Run c51 = run({QStringLiteral("-f"), QStringLiteral("c51"), c51Name});
    QCOMPARE(c51.exitCode, 0);
    QVERIFY(
        c51.out.startsWith("/*----  \xE5\x9B\xBE\xE7\x89\x87\xE6\x96\x87\xE4\xBB\xB6\xE6\x9D\xA5\xE8\x87\xAA\xEF\xBC"
                           "\x9A\xE3\x80\x90x*\\/ const char injected[] = \"owned\"; /*.bmp"));
    QCOMPARE(c51.out.count("*/"), 4);
    const QString a51Name = QStringLiteral("a\r\nDB 0FFH\n\u2028\u202E.bmp"); // and a bidirectional override
    picture(a51Name, encodeBmp(workedExample(), 24));
    const Run a51 = run({a51Name});
    QCOMPARE(a51.exitCode, 0);
    QCOMPARE(a51.out.count("\n"), 6);
    QVERIFY(
        QString::fromUtf8(a51.out).startsWith(QStringLiteral(";----  图片文件来自：【a??DB 0FFH???.bmp】  ----\r\n")));
}

void tst_Cli::headerDeclaresTheArray()
{
    const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name"), QStringLiteral("logo"),
                       QStringLiteral("--layout"), QStringLiteral("vertical"), QStringLiteral("--c-dialect"),
                       QStringLiteral("sdcc"), QStringLiteral("--header"), QStringLiteral("logo.h"),
                       QStringLiteral("-o"), QStringLiteral("logo.c"), QStringLiteral("t.bmp")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QString::fromUtf8(readFile(dir.filePath(QStringLiteral("logo.h")))),
             QStringLiteral("/*----  图片文件来自：【t.bmp】  ----*/\r\n"
                            "/*----  图片宽度：16     图片高度：2  ----*/\r\n"
                            "/*----  本数据文件建立日期：2002-11-15;  建立时间：14:05:09  ----*/\r\n"
                            "/*----  本数据文件由Tessaline【图片数据生成器】V1.0自动生成！  ----*/\r\n"
                            "#ifndef TESSALINE_LOGO_H\r\n#define TESSALINE_LOGO_H\r\n\r\n"
                            "#define LOGO_WIDTH 16\r\n#define LOGO_HEIGHT 2\r\n#define LOGO_PAGES 1\r\n"
                            "#define LOGO_BYTES 16\r\n\r\n"
                            "extern unsigned char __code logo[LOGO_BYTES];\r\n\r\n#endif\r\n"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("logo.c"))).contains("unsigned char __code logo[16] = {"));
    // A header that cannot be written (a folder stands in its place) fails the run and leaves the output as it was.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.h")));
    const Run failed = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name"), QStringLiteral("x"),
                            QStringLiteral("--header"), QStringLiteral("folder.h"), QStringLiteral("-o"),
                            QStringLiteral("logo.c"), QStringLiteral("t.bmp")});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.err.startsWith(QStringLiteral("tessaline-cli: folder.h: ")), qPrintable(failed.err));
    QVERIFY(readFile(dir.filePath(QStringLiteral("logo.c"))).contains("unsigned char __code logo[16] = {"));
}

void tst_Cli::batchNamesEachArray()
{
    picture(QStringLiteral("logo-small.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("8x8.gif"), encodeGif({workedExample()}));
    picture(QStringLiteral("data.bmp"), encodeBmp(workedExample(), 24));
    picture(QStringLiteral("Add.bmp"), encodeBmp(workedExample(), 24));
    const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), QStringLiteral("--name-prefix"),
                       QStringLiteral("gfx_"), QStringLiteral("--output-dir"), QStringLiteral("named"),
                       QStringLiteral("logo-small.bmp"), QStringLiteral("8x8.gif")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(
        readFile(dir.filePath(QStringLiteral("named/logo-small.c"))).contains("unsigned char code gfx_logo_small[4]"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/8x8.c"))).contains("unsigned char code gfx__8x8[4]"));
    const Run a51 = run({QStringLiteral("--output-dir"), QStringLiteral("named"), QStringLiteral("8x8.gif"),
                         QStringLiteral("data.bmp"), QStringLiteral("Add.bmp")});
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/8x8.a51"))).contains("\r\n_8x8:\r\nDB   081H"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/data.a51"))).contains("\r\ndata_:\r\nDB   081H"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("named/Add.a51"))).contains("\r\nAdd_:\r\nDB   081H"));
}

void tst_Cli::pictureFromStandardInput()
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
}

void tst_Cli::framesAndTiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QByteArray>("data"); // the bytes, or for a51 and c51 the text after the header
    // 3 x 1 on a clear screen: 1 red green blue, kept; 2 at (1, 0), clear then red, its rectangle cleared after
    // it shows; 3 green at (2, 0), the picture before it brought back after; 4 blue at (1, 0).
    QImage second = solid(2, 1, qRgb(255, 0, 0));
    second.setPixel(0, 0, qRgb(1, 2, 3));
    const QRgb clear = qRgb(1, 2, 3);
    const QByteArray gif = encodeGif({{fromRows({QStringLiteral("rgb")}), {}, 1, 10, std::nullopt},
                                      {second, QPoint(1, 0), 2, 20, clear},
                                      {solid(1, 1, qRgb(0, 255, 0)), QPoint(2, 0), 3, 30, std::nullopt},
                                      {solid(1, 1, qRgb(0, 0, 255)), QPoint(1, 0), 0, 40, std::nullopt}},
                                     QSize(3, 1));
    const QByteArray r("\xFF\x00\x00", 3), g("\x00\xFF\x00", 3), b("\x00\x00\xFF", 3), w("\xFF\xFF\xFF", 3);
    QTest::newRow("--frames: each composed, each disposed")
        << gif << "-f hex --pixel rgb888 --frames" << r + g + b + r + g + r + r + w + g + r + b + w;
    QTest::newRow("--frames over black") << gif << "-f hex --pixel rgb888 --frames --background black"
                                         << r + g + b + r + g + r + r + QByteArray(3, '\0') + g + r + b +
                                                QByteArray(3, '\0');
    QTest::newRow("--frames: a frame past the screen's edges, clipped")
        << encodeGif({{fromRows({QStringLiteral("rg"), QStringLiteral("bb")}), QPoint(1, 0), 0, 0, std::nullopt}},
                     QSize(2, 1))
        << "-f hex --pixel rgb888 --frames" << w + r;
    QByteArray commented = gif; // a comment between the first frame's graphic control and its picture
    commented.insert(commented.indexOf("\x21\xF9\x04") + 8, QByteArray("\x21\xFE\x05hello\x00", 9));
    QTest::newRow("--frames: a comment is not a graphic control")
        << commented << "-f hex --pixel rgb888 --frames" << r + g + b + r + g + r + r + w + g + r + b + w;
    QTest::newRow("without --frames: the first frame") << gif << "-f hex --pixel rgb888" << r + g + b;
    const QByteArray redOnWider = encodeGif({{solid(1, 1, qRgb(255, 0, 0)), {}, 0, 0, std::nullopt}}, QSize(2, 1));
    QTest::newRow("without --frames: around the frame is clear, as in frame 0")
        << redOnWider << "-f hex --pixel rgb888 --background black" << r + QByteArray(3, '\0');
    QTest::newRow("--frames: frame 0 the same")
        << redOnWider << "-f hex --pixel rgb888 --frames --background black" << r + QByteArray(3, '\0');
    QTest::newRow("--frames, c51: a table, its lines, the delays")
        << gif << "-f c51 --pixel gray8 --frames --name a"
        << QByteArray("unsigned char code a[4][3] = {\r\n"
                      "/* frame 1 of 4, 100 ms */\r\n{\r\n0x4C, 0x96, 0x1D, \r\n},\r\n"
                      "/* frame 2 of 4, 200 ms */\r\n{\r\n0x4C, 0x96, 0x4C, \r\n},\r\n"
                      "/* frame 3 of 4, 300 ms */\r\n{\r\n0x4C, 0xFF, 0x96, \r\n},\r\n"
                      "/* frame 4 of 4, 400 ms */\r\n{\r\n0x4C, 0x1D, 0xFF, \r\n},\r\n};\r\n"
                      "unsigned int code a_delays[4] = {\r\n0x0064, 0x00C8, 0x012C, 0x0190, \r\n};\r\n");
    QTest::newRow("--frames, c51: a delay past 65535 ms widens the table")
        << encodeGif({{solid(1, 1, qRgb(0, 0, 0)), {}, 0, 65535, std::nullopt}}, QSize(1, 1))
        << "-f c51 --pixel gray8 --frames --name a"
        << QByteArray("unsigned char code a[1][1] = {\r\n/* frame 1 of 1, 655350 ms */\r\n{\r\n0x00, \r\n},\r\n};\r\n"
                      "unsigned long code a_delays[1] = {\r\n0x0009FFF6, \r\n};\r\n");
    QTest::newRow("--frames --compress, c51: one array, the offsets")
        << gif << "-f c51 --pixel gray8 --frames --name a --compress packbits"
        << QByteArray("unsigned char code a[16] = {\r\n"
                      "/* frame 1 of 4, 100 ms */\r\n0x02, 0x4C, 0x96, 0x1D, \r\n"
                      "/* frame 2 of 4, 200 ms */\r\n0x02, 0x4C, 0x96, 0x4C, \r\n"
                      "/* frame 3 of 4, 300 ms */\r\n0x02, 0x4C, 0xFF, 0x96, \r\n"
                      "/* frame 4 of 4, 400 ms */\r\n0x02, 0x4C, 0x1D, 0xFF, \r\n};\r\n"
                      "unsigned int code a_offsets[5] = {\r\n0x0000, 0x0004, 0x0008, 0x000C, 0x0010, \r\n};\r\n"
                      "unsigned int code a_delays[4] = {\r\n0x0064, 0x00C8, 0x012C, 0x0190, \r\n};\r\n");
    QTest::newRow("--frames, pbm: side by side")
        << gif << "-f pbm --frames --threshold 200 --pad" << QByteArray("P4\n32 1\n\xE0\xE0\xA0\xC0", 12);
    // 16 x 16 in quarters: black at the top left, white at the top right, a dot at (9, 10), white elsewhere.
    QImage quarters = solid(16, 16, qRgb(255, 255, 255));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            quarters.setPixel(x, y, qRgb(0, 0, 0));
    quarters.setPixel(9, 10, qRgb(0, 0, 0));
    QByteArray dot(8, '\0');
    dot[2] = '\x40';
    QTest::newRow("--tile 8x8: four tiles") << encodeBmp(quarters, 24) << "-f hex --tile 8x8"
                                            << QByteArray(8, '\xFF') + QByteArray(8, '\0') + QByteArray(8, '\0') + dot;
    QTest::newRow("--tile 8x8, a51: a line a tile")
        << encodeBmp(quarters.copy(0, 0, 16, 8), 24) << "-f a51 --tile 8x8"
        << QByteArray("; tile 0, 0\r\n") + QByteArray("DB   0FFH\r\n").repeated(8) + "; tile 1, 0\r\n" +
               QByteArray("DB   000H\r\n").repeated(8);
}

void tst_Cli::framesAndTiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, options);
    QFETCH(QByteArray, data);
    const Run r = run(options.split(u' ') + QStringList{picture(QStringLiteral("frames.pic"), file)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QByteArray out = r.out;
    if (options.contains(QStringLiteral("a51")) || options.contains(QStringLiteral("c51")))
        out = afterHeader(out);
    if (!r.err.isEmpty()) // the offsets are said in a table, not here
        QFAIL(qPrintable(r.err));
    QCOMPARE(out, data);
}

void tst_Cli::glyphTables_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QByteArray>("data"); // the bytes, or for a51 and c51 the text after the header
    const QByteArray zeros16(16, '\0');
    const QByteArray a = QByteArray(11, '\0') + QByteArray("\x78\x48\x78\0\0", 5); // rows 11 to 13
    const QByteArray ni = QByteArray("\x80\x01\xFF\xFF", 4) + QByteArray(28, '\0');
    QTest::newRow("narrow: 8 x 16") << "--text A -f hex" << a;
    QTest::newRow("wide: 16 x 16") << "--text 你 -f hex" << ni;
    QTest::newRow("both: each in a row of 32 bytes, each character once") << "--text A你A -f hex" << a + zeros16 + ni;
    QTest::newRow("--text-file: its lines' characters") << "--text-file text.txt -f hex" << a + zeros16 + ni;
    QTest::newRow("vertical, lsb: pages of 8 rows") << "--text A你 -f hex --layout vertical"
                                                    << zeros16.left(8) + QByteArray("\0\x38\x28\x28\x38\0\0\0", 8) +
                                                           zeros16 + "\x03" + QByteArray(14, '\x02') + "\x03" + zeros16;
    QTest::newRow("--cell 16x4: cut") << "--text 你 --cell 16x4 -f hex"
                                      << QByteArray("\x80\x01\xFF\xFF", 4) + QByteArray(4, '\0');
    QTest::newRow("--missing blank") << "--text 'B' --missing blank -f hex --invert" << QByteArray(16, '\xFF');
    QTest::newRow("c51, named: a row a glyph, its line, the codes")
        << "--text 你 -f c51 --name t --cell 16x1"
        << QString::fromUtf8("unsigned char code t[1][2] = {\r\n/* 你 U+4F60 GB2312 C4E3 */\r\n{\r\n0x80, 0x01, "
                             "\r\n},\r\n};\r\nunsigned int code t_codes[1] = {\r\n0xC4E3, \r\n};\r\n")
               .toUtf8();
    QTest::newRow("a51, unicode codes, proportional widths")
        << "--text A你 -f a51 --name t --cell 8x1 --proportional --index unicode"
        << QByteArray("t:\r\n; A U+0041\r\nDB   000H\r\nDB   000H\r\n; ") + QString::fromUtf8("你").toUtf8() +
               " U+4F60 GB2312 C4E3\r\nDB   080H, 001H\r\n"
               "t_codes:\r\nDW   00041H, 04F60H\r\nt_widths:\r\nDB   008H, 010H\r\n";
    QTest::newRow("vertical, proportional: the advance, not whole bytes")
        << "--text A -f a51 --name t --proportional --layout vertical"
        << QByteArray("t:\r\n; A U+0041\r\nDB   000H, 000H, 000H, 000H, 000H\r\nDB   000H, 038H, 028H, 028H, 038H\r\n"
                      "t_codes:\r\nDW   00041H\r\nt_widths:\r\nDB   005H\r\n");
    QTest::newRow("pbm: a sheet, 16 cells a row") << "--charset ascii --missing blank --cell 8x2 -f pbm"
                                                  << QByteArray("P4\n128 12\n") + QByteArray(16 * 12, '\0');
}

void tst_Cli::glyphTables()
{
    QFETCH(QString, options);
    QFETCH(QByteArray, data);
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    picture(QStringLiteral("text.txt"), QByteArray("A\r\n\xE4\xBD\xA0\nA\n"));
    QStringList arguments{QStringLiteral("--font"), QStringLiteral("tiny.bdf")};
    for (QString word : options.split(u' '))
        arguments << word.remove(u'\'');
    const Run r = run(arguments);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QByteArray out = r.out;
    if (options.contains(QStringLiteral("a51")) || options.contains(QStringLiteral("c51")))
        out = afterHeader(out);
    QCOMPARE(out.toHex(' '), data.toHex(' '));
}

void tst_Cli::glyphRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("a character without a glyph")
        << QStringList{"--font", "tiny.bdf", "--text", "AB"}
        << QStringLiteral("tiny.bdf: the font tiny.bdf has no glyph for B U+0042 (use --missing blank");
    QTest::newRow("a character without a GB2312 code")
        << QStringList{"--font", "tiny.bdf", "--text", "€", "--missing", "blank"}
        << QStringLiteral("tiny.bdf: € U+20AC has no GB2312 code (use --index unicode)");
    QTest::newRow("a family fontconfig does not know")
        << QStringList{"--font", "No Such Family", "--text", "A"}
        << QStringLiteral("No Such Family: no such font file, and no font of that family (the nearest fontconfig "
                          "offers is '");
    QTest::newRow("a bitmap font at another size")
        << QStringList{"--font", "tiny.bdf", "--text", "A", "--size", "12"}
        << QStringLiteral("tiny.bdf: the bitmap font tiny.bdf has glyphs of 16 pixels, not 12");
    QTest::newRow("a text file past the memory limit")
        << QStringList{"--font", "tiny.bdf", "--text-file", "long.txt", "--max-memory", "1K"}
        << QStringLiteral("tiny.bdf: the text file long.txt is longer than the memory limit of 1024 bytes");
    QTest::newRow("a text file not in UTF-8") << QStringList{"--font", "tiny.bdf", "--text-file", "gbk.txt"}
                                              << QStringLiteral("tiny.bdf: the text file gbk.txt is not UTF-8");
    QTest::newRow("a font name fontconfig cannot read")
        << QStringList{"--font", "X:charset=zz", "--text", "A"}
        << QStringLiteral("X:charset=zz: no such font file, and not a font name fontconfig reads");
    QTest::newRow("a cell past --max-memory")
        << QStringList{"--font", "tiny.bdf", "--text", "A", "--cell", "512x512", "--max-memory", "200K"}
        << QStringLiteral("tiny.bdf: holding the cell of A U+0041 whole takes 262144 bytes");
    QTest::newRow("face 1 of a single font") << QStringList{"--font", "tiny.bdf", "--font-index", "1", "--text", "A"}
                                             << QStringLiteral("tiny.bdf: the font has one face, face 0; there is no "
                                                               "face 1");
    QTest::newRow("a font's glyph table past its end")
        << QStringList{"--font", "pastend.ttf", "--text", "A"}
        << QStringLiteral("pastend.ttf: the font is damaged: its table 'glyf' lies past the end of the file");
    QTest::newRow("not a font") << QStringList{"--font", "t.bmp", "--text", "A"}
                                << QStringLiteral("t.bmp: not a font FreeType reads");
}

void tst_Cli::glyphRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    picture(QStringLiteral("long.txt"), QByteArray(2000, 'A'));
    picture(QStringLiteral("gbk.txt"), QByteArray("\xC4\xE3")); // 你 in GBK
    QByteArray pastEnd = readFile(QStringLiteral(TESSALINE_FUZZ_CORPUS "/font-boxes.ttf"));
    pastEnd.replace(pastEnd.indexOf("glyf") + 8, 4, QByteArray(4, '\x7F')); // its offset
    picture(QStringLiteral("pastend.ttf"), pastEnd);
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ") + message), qPrintable(r.err));
    QCOMPARE(r.err.count(u'\n'), 1);
}

void tst_Cli::realFontsDrawEveryGb2312Character_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<bool>("insideCells");
    QTest::newRow("WenQuanYi bitmap, 16 pixels") << "/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf" << true;
    // An outline's hinted ideographs span 17 rows at 16 pixels; some glyphs pass the cell, and are said to.
    QTest::newRow("WenQuanYi Zen Hei, outline") << "WenQuanYi Zen Hei" << false;
}

// Every GB2312 character but the ideographic space (A1A1) leaves ink in its cell of the sheet.
void tst_Cli::realFontsDrawEveryGb2312Character()
{
    QFETCH(QString, font);
    QFETCH(bool, insideCells);
    if (!QFileInfo::exists(QStringLiteral("/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf")))
        QSKIP("xfonts-wqy and fonts-wqy-zenhei are missing (scripts/install-deps installs them)");
    const Run r = run({QStringLiteral("--font"), font, QStringLiteral("--charset"), QStringLiteral("gb2312"),
                       QStringLiteral("-f"), QStringLiteral("pbm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err.isEmpty(), insideCells);
    const QImage sheet = QImage::fromData(r.out, "PBM").convertToFormat(QImage::Format_Mono);
    QCOMPARE(sheet.size(), QSize(16 * 16, (7445 + 15) / 16 * 16));
    for (int i = 1; i < 7445; ++i) {
        const QImage cell = sheet.copy(i % 16 * 16, i / 16 * 16, 16, 16);
        bool ink = false;
        for (int y = 0; y < 16 && !ink; ++y)
            for (int x = 0; x < 16 && !ink; ++x)
                ink = qGray(cell.pixel(x, y)) < 128;
        QVERIFY2(ink, qPrintable(QStringLiteral("character %1 of GB2312 is blank").arg(i)));
    }
}

void tst_Cli::partWayFailureStopsTheStream()
{
    // A JPEG whose data ends after some rows: what was made stays on standard output, and the converter says
    // why it stopped and fails.
    QImage noise(64, 256, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y * 31) % 253, (x ^ y) * 3 % 256));
    const QByteArray jpeg = encodeJpeg(noise, 90);
    const Run r = run({picture(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() / 2))});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.out.startsWith(";----"));
    QVERIFY(r.out.contains("\r\nDB   "));
    QVERIFY2(r.err.contains(QStringLiteral("cut.jpg: the file is cut short (the output stops there)")),
             qPrintable(r.err));
}

void tst_Cli::badInputsAreRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    for (const BadInputs::BadInput &bad : BadInputs::make(dir.filePath(QStringLiteral("bad"))))
        QTest::newRow(qPrintable(bad.name)) << bad.path << bad.converterReason;
}

void tst_Cli::badInputsAreRefused()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const QString output = dir.filePath(QStringLiteral("kept.txt"));
    QVERIFY(writeFile(output, "earlier output"));
    for (const QString &format : {QStringLiteral("a51"), QStringLiteral("hex")}) {
        const Run r = run({QStringLiteral("-f"), format, QStringLiteral("-o"), output, path});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err.count(u'\n'), 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ") + path + QStringLiteral(": ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        QCOMPARE(readFile(output), QByteArray("earlier output"));
    }
}

void tst_Cli::longAndStrangePathsWork()
{
    const QString strange = dir.filePath(QStringLiteral("我的 \"图片\" 'x'.bmp"));
    const QString deep = BadInputs::longFolder(dir.filePath(QStringLiteral("deep")), 4000) + QStringLiteral("/t.bmp");
    QVERIFY(deep.size() > 4000);
    for (const QString &path : {strange, deep}) {
        QVERIFY(writeFile(path, encodeBmp(workedExample(), 24)));
        const Run r = run({QStringLiteral("-f"), QStringLiteral("c51"), path});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(QString::fromUtf8(r.out).startsWith(QStringLiteral("/*----  图片文件来自：【") + path +
                                                    QStringLiteral("】")));
    }
}

void tst_Cli::fullDiskKeepsTheOldOutput()
{
    // A file size limit makes the write fail the way a full disk does, after the file was opened.
    const auto smallDisk = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    QTemporaryDir out;
    const QString output = out.filePath(QStringLiteral("code.txt"));
    QVERIFY(writeFile(output, "old"));
    const Run r = run({QStringLiteral("-o"), output, QStringLiteral("t.bmp")}, exampleEpoch, smallDisk);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ") + output + QStringLiteral(": ")), qPrintable(r.err));
    QCOMPARE(readFile(output), QByteArray("old"));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("code.txt")});

    const Run hex =
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("-o"), output, QStringLiteral("t.bmp")},
            exampleEpoch, smallDisk);
    QCOMPARE(hex.exitCode, 0); // four bytes fit under the limit
    QCOMPARE(readFile(output), QByteArray("\x81\xFF\x00\x0A", 4));
}

void tst_Cli::runningOutOfMemoryIsSaid()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves more address space than the limit leaves");
#endif
    // A sheet of 7445 cells of 256 x 256 wants 488 MB, more than the address space left to the child.
    const auto smallMemory = [] {
        const rlimit limit{400 << 20, 400 << 20};
        setrlimit(RLIMIT_AS, &limit);
    };
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    const Run r =
        run({QStringLiteral("--font"), QStringLiteral("tiny.bdf"), QStringLiteral("--charset"),
             QStringLiteral("gb2312"), QStringLiteral("--missing"), QStringLiteral("blank"), QStringLiteral("--cell"),
             QStringLiteral("256x256"), QStringLiteral("-f"), QStringLiteral("png")},
            exampleEpoch, smallMemory);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QStringLiteral("tessaline-cli: tiny.bdf: not enough memory to convert this picture\n"));
    // A text file is read as large as it is, not as large as the memory limit (1 GiB) allows.
    picture(QStringLiteral("a.txt"), QByteArray("A\n"));
    QCOMPARE(run({QStringLiteral("--font"), QStringLiteral("tiny.bdf"), QStringLiteral("--text-file"),
                  QStringLiteral("a.txt"), QStringLiteral("-f"), QStringLiteral("hex")},
                 exampleEpoch, smallMemory)
                 .exitCode,
             0);
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
