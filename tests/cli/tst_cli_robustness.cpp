// What the converter refuses, and how: limits, bad input, failed writes, memory, inputs kept safe.

#include "cli/converter.h"

#include "support/badinputs.h"
#include "support/testpictures.h"

#include <QDir>
#include <QtEndian>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

using namespace TestPictures;

class tst_CliRobustness : public ConverterTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedAndUnreadablePictures_data();
    void refusedAndUnreadablePictures();
    void failedOutputKeepsTheOldFile();
    void batchGoesOnPastAFailure();
    void largePictureInFlatMemory();
    void widestPictureInFlatMemory();
    void outputNeverReplacesAPicture();
    void partWayFailureStopsTheStream();
    void badInputsAreRefused_data();
    void badInputsAreRefused();
    void longAndStrangePathsWork();
    void fullDiskKeepsTheOldOutput();
    void runningOutOfMemoryIsSaid();
    void eachRunFitsItsPeakExactly_data();
    void eachRunFitsItsPeakExactly();
};

void tst_CliRobustness::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_CliRobustness::refusedAndUnreadablePictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("options");
    // Held whole to be turned, 30000 x 30000 pixels (of colour 0: the RLE data ends at once) take 3.6 GB as
    // colours (to be dithered), 112.5 MB as a bit each; with a band of 16 turned rows and a row as read.
    const QByteArray tall = rawBmp(40, 30000, 30000, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2);
    QTest::newRow("--rotate 90 --dither past the memory limit")
        << "turn.bmp" << tall
        << QStringLiteral("the turned picture whole takes 3602040000 bytes, more than the "
                          "memory limit of 1073741824 bytes (--max-memory raises it)")
        << QStringList{QStringLiteral("--rotate"), QStringLiteral("90"), QStringLiteral("--dither"),
                       QStringLiteral("atkinson")};
    // A frame past what an LZ4 block holds: refused before anything is held, not packed into nothing.
    QTest::newRow("--compress lz of a frame past 2 GiB")
        << "lz.bmp" << tall
        << QStringLiteral("a frame of 2700000000 bytes is more than the 2113929216 an LZ4 block holds")
        << QStringList{QStringLiteral("--pixel"),      QStringLiteral("rgb888"),       QStringLiteral("--compress"),
                       QStringLiteral("lz"),           QStringLiteral("--max-pixels"), QStringLiteral("1000000000"),
                       QStringLiteral("--max-memory"), QStringLiteral("100G"),         QStringLiteral("-f"),
                       QStringLiteral("hex")};
    // A tile of the largest side the parser takes: read, then refused by the picture's size, not by the option.
    QTest::newRow("--tile 1048576x1: taken, a picture of no whole number of such tiles")
        << "tile.bmp" << encodeBmp(workedExample(), 24) << QStringLiteral("no whole number of tiles of 1048576 x 1")
        << QStringList{QStringLiteral("--tile"), QStringLiteral("1048576x1"), QStringLiteral("-f"),
                       QStringLiteral("hex")};
    QTest::newRow("--flip vertical --dither past the memory limit: no band")
        << "turn.bmp" << tall
        << QStringLiteral("the turned picture whole takes 3600120000 bytes, more than the "
                          "memory limit of 1073741824 bytes (--max-memory raises it)")
        << QStringList{QStringLiteral("--flip"), QStringLiteral("vertical"), QStringLiteral("--dither"),
                       QStringLiteral("atkinson")};
    QTest::newRow("--rotate 90, mono, past the memory limit")
        << "turn.bmp" << tall
        << QStringLiteral("the turned picture whole takes 114540000 bytes, more than the "
                          "memory limit of 104857600 bytes (--max-memory raises it)")
        << QStringList{QStringLiteral("--rotate"), QStringLiteral("90"), QStringLiteral("--max-memory"),
                       QStringLiteral("100M")};
    QTest::newRow("--compress past the 32-bit offsets")
        << "big.bmp" << rawBmp(40, 40000, 40000, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2)
        << QStringLiteral("4800000000 bytes of data may compress to more than the 4 GiB the offsets count")
        << QStringList{"--compress", "packbits",     "--pixel",    "rgb888",       "-f",
                       "hex",        "--max-pixels", "2000000000", "--max-memory", "64G"};
    // Packed, 4 bytes may take 5: a byte more than the last four addresses hold.
    QTest::newRow("ihex --compress: the packed bytes may pass 4 GiB")
        << "packed.bmp" << encodeBmp(workedExample(), 24)
        << QStringLiteral("4 bytes of data do not fit below 4 GiB from address 0xFFFFFFFC")
        << QStringList{"-f", "ihex", "--compress", "packbits", "--address", "0xFFFFFFFC"};
    QTest::newRow("past --max-pixels 63") << "small.bmp" << encodeBmp(solid(8, 8, qRgb(0, 0, 0)), 24)
                                          << QStringLiteral("8 x 8 pixels, more than the limit of 63 pixels")
                                          << QStringList{QStringLiteral("--max-pixels"), QStringLiteral("63")};
    QTest::newRow("past --max-memory 1K, interlaced")
        << "interlaced.gif" << encodeGif({solid(32, 32, qRgb(0, 0, 0))}, std::nullopt, {}, true)
        << QStringLiteral("holding the interlaced GIF frame whole takes 1024 bytes")
        << QStringList{"--max-memory", "1023"};
    // A frame that restores what was under it keeps a second copy of the 16 x 16 screen: 2 x 1024 bytes.
    const GifFrame restored{solid(16, 16, qRgb(0, 0, 0)), {}, 3, 0, std::nullopt};
    QTest::newRow("past --max-memory 2047, disposal 3")
        << "restores.gif" << encodeGif({restored, restored}, QSize(16, 16))
        << QStringLiteral("the animation's picture whole takes 2048 bytes")
        << QStringList{"--frames", "--max-memory", "2047"};
    // Budget: the screen (16384 bytes) and the sheet (49152, the whole limit alone) are held at once.
    const GifFrame corner{solid(1, 1, qRgb(0, 0, 0)), {}, 0, 0, std::nullopt};
    QTest::newRow("--max-memory 49152: the screen and the sheet summed")
        << "summed.gif" << encodeGif({corner, corner, corner, corner}, QSize(64, 64))
        << QStringLiteral("the sheet of the frames whole takes 49152 bytes beside the 16384 bytes already held")
        << QStringList{"--frames", "--pixel", "rgb888", "-f", "png", "--max-memory", "49152"};
    // The mask's values, a byte a pixel (8 x 32 of a frame), held for all four frames beside the screen.
    QTest::newRow("--frames --mask: the mask of every frame held")
        << "masked.gif" << encodeGif(QList<GifFrame>(4, corner), QSize(16, 16))
        << QStringLiteral("holding the mask whole takes 1024 bytes beside the 1024 bytes already held")
        << QStringList{"--frames", "--mask", "-f", "c51", "--name", "t", "--max-memory", "2047"};
    // 32768 frames side by side, each the screen's 32768 pixels: 2^30 pixels, within --max-pixels, too wide.
    QTest::newRow("--frames, pbm: a sheet 2^30 pixels wide")
        << "sheet.gif" << encodeGif(QList<GifFrame>(32768, corner), QSize(32768, 1))
        << QStringLiteral("the sheet of the frames would be 1073741824 x 1 pixels, too large to draw")
        << QStringList{"--frames", "-f", "pbm"};
    const GifFrame wide{solid(64, 64, qRgb(0, 0, 0)), {}, 0, 0, std::nullopt};
    QTest::newRow("--frames: pixels off the screen count")
        << "offscreen.gif" << encodeGif({wide, wide}, QSize(8, 1)) << QStringLiteral("frames are more than 5000 pixels")
        << QStringList{"--frames", "--max-pixels", "5000"};
    QTest::newRow("--tile 1x1: more tiles than a table counts")
        << "tiles1.bmp" << encodeBmp(solid(512, 512, qRgb(0, 0, 0)), 1)
        << QStringLiteral("cuts into 262144 tiles of 1 x 1, more than the 65535") << QStringList{"--tile", "1x1"};
    // Its first scan's data holds a zero byte: the count goes on to the end.
    QByteArray scans = readFile(QStringLiteral(TESSALINE_FUZZ_CORPUS "/colours-progressive.jpg"));
    scans.replace(scans.indexOf("\xFF\xC2") + 5, 4, QByteArray("\x80\x00\x80\x00", 4)); // 32768 x 32768
    QTest::newRow("progressive JPEG: scans times pixels")
        << "scans.jpg" << scans << QStringLiteral("10 scans of 32768 x 32768 pixels") << QStringList();
    QTest::newRow("progressive JPEG: its coefficients reserved")
        << "coefficients.jpg" << encodeJpeg(solid(64, 64, qRgb(200, 0, 0)), JpegCoding::Progressive)
        << QStringLiteral("holding the multi-scan JPEG picture whole takes 12288 bytes")
        << QStringList{"--max-memory", "4K"};
    QTest::newRow("--fit: the resized picture reserved")
        << "fit.bmp" << encodeBmp(solid(64, 64, qRgb(0, 0, 0)), 24)
        << QStringLiteral("holding the resized picture whole takes 1024 bytes")
        << QStringList{"--fit", "16x16", "--max-memory", "1000"};
    QByteArray farOffset = encodeBmp(workedExample(), 24);
    farOffset.replace(10, 4, QByteArray(4, '\xFF'));
    QByteArray bitFields8 = encodeBmp(workedExample(), 8);
    bitFields8[30] = 3; // BI_BITFIELDS, which only 16- and 32-bit pixels take
    QTest::newRow("BMP of 8 bits with bit fields")
        << "fields.bmp" << bitFields8
        << QStringLiteral("a kind of pixel data this program does not read (8 bits a "
                          "pixel, compression 3)")
        << QStringList();
    QTest::newRow("BMP cut short: told before a row is read")
        << "cut.bmp" << encodeBmp(solid(16, 4, qRgb(0, 0, 0)), 24).chopped(20)
        << QStringLiteral("cut short: its pixels need 246 bytes, it has 226") << QStringList();
    QTest::newRow("BMP cut in its colour table")
        << "table.bmp" << encodeBmp(workedExample(), 8).left(60)
        << QStringLiteral("the BMP file is cut short in its colour table") << QStringList();
    QTest::newRow("RLE8 BMP cut in its compressed pixels")
        << "rle.bmp" << encodeBmp(workedExample(), 8, RowOrder::BottomUp, BmpCompression::Rle8).chopped(4)
        << QStringLiteral("the BMP file is cut short in its compressed pixels") << QStringList();
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
    QTest::newRow("PNG cut short, turned: the turn reads it all first")
        << "cutturned.png" << png.left(png.size() - 20) << QStringLiteral("cut short")
        << QStringList{"--rotate", "90", "--pad"};
    // The resampler is loaded by the first resize: a file in its place is refused in the loader's words.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("libswscale.so.6")), "not a library"));
    QTest::newRow("--fit, the resampling library unloadable")
        << "fit.bmp" << encodeBmp(workedExample(), 24) << QStringLiteral("cannot start libswscale: ")
        << QStringList{"LD_LIBRARY_PATH=.", "--fit", "8x8"};
    // A side kept from the aspect passes the largest: in 64 bits, refused, not wrapped to a stretched picture (each
    // picture of colour 0, its RLE data ending at once).
    QTest::newRow("--resize 2048x of 1 x 1048576: a side past the largest")
        << "tall.bmp" << rawBmp(40, 1, 1 << 20, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2)
        << QStringLiteral("the resized picture is 2048 x 2147483648 pixels; no side may pass")
        << QStringList{"--resize", "2048x"};
    QTest::newRow("--fill 2048x2048 of 1048576 x 1: a side past the largest")
        << "long.bmp" << rawBmp(40, 1 << 20, 1, 8, 1, QByteArray(8, '\0'), QByteArray("\0\1", 2), 2)
        << QStringLiteral("the resized picture is 2147483648 x 2048 pixels") << QStringList{"--fill", "2048x2048"};
    QTest::newRow("--resize past what libswscale enlarges")
        << "dot.png" << encodePng(solid(2, 1, qRgb(0, 0, 0)), 0, 1)
        << QStringLiteral("the resized picture would be 13798 x 1 pixels, a side of 2 pixels enlarged past the 13797")
        << QStringList{"--resize", "13798x1", "--pad"};
    // A library of that name without its functions (zlib's, copied): named, not "Unknown error".
    Dl_info zlib{};
    QVERIFY(dladdr(reinterpret_cast<void *>(&zlibVersion), &zlib) && zlib.dli_fname);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("nosyms")));
    QVERIFY(
        QFile::copy(QString::fromLocal8Bit(zlib.dli_fname), dir.filePath(QStringLiteral("nosyms/libswscale.so.6"))));
    QTest::newRow("--fit, the resampling library without its functions")
        << "fit.bmp" << encodeBmp(workedExample(), 24)
        << QStringLiteral(
               "cannot start libswscale: libswscale.so.6 has no sws_getContext, sws_scale or sws_freeContext")
        << QStringList{"LD_LIBRARY_PATH=nosyms", "--fit", "8x8"};
    QByteArray badCrc = png; // the pixel data whole, its chunk's check sum wrong
    const qsizetype idat = badCrc.indexOf("IDAT");
    const qsizetype crc = idat + 4 + qsizetype(qFromBigEndian<quint32>(badCrc.constData() + idat - 4));
    badCrc[crc] = char(badCrc[crc] ^ 0x01);
    QTest::newRow("PNG with a CRC error") << "crc.png" << badCrc << QStringLiteral("CRC error") << QStringList();
}

void tst_CliRobustness::refusedAndUnreadablePictures()
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

// What the budget counts, pinned: each run passes at --max-memory of its peak and is refused a byte below it. A
// reservation sized wrong on any of these roads moves its row's peak.
void tst_CliRobustness::eachRunFitsItsPeakExactly_data()
{
    QTest::addColumn<QString>("name"); // "-": the content is standard input
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<qint64>("peak");
    const QByteArray mono = encodeBmp(solid(64, 48, qRgb(0, 0, 0)), 1);
    QTest::newRow("--rotate 90, mono") << "p.bmp" << mono << QStringList{"--rotate", "90"} << qint64(3712);
    QTest::newRow("--rotate 90 --dither")
        << "p.bmp" << mono << QStringList{"--rotate", "90", "--dither", "atkinson"} << qint64(15616);
    QTest::newRow("--rotate 90, gray8") << "p.bmp" << mono << QStringList{"--rotate", "90", "--pixel", "gray8"}
                                        << qint64(6400);
    QTest::newRow("--flip vertical, mono") << "p.bmp" << mono << QStringList{"--flip", "vertical"} << qint64(640);
    QTest::newRow("--flip vertical --mask, mono: two bits a pixel, and the mask")
        << "p.bmp" << mono << QStringList{"--flip", "vertical", "--mask", "-f", "c51", "--name", "t"} << qint64(4096);
    QTest::newRow("--flip vertical, rgb565")
        << "p.bmp" << mono << QStringList{"--flip", "vertical", "--pixel", "rgb565"} << qint64(12544);
    QTest::newRow("interlaced GIF") << "p.gif" << encodeGif({solid(32, 32, qRgb(0, 0, 0))}, std::nullopt, {}, true)
                                    << QStringList() << qint64(1024);
    QTest::newRow("interlaced PNG") << "p.png" << encodePng(solid(40, 24, qRgb(0, 0, 0)), 6, 8, true) << QStringList()
                                    << qint64(3840);
    QTest::newRow("progressive JPEG") << "p.jpg" << encodeJpeg(solid(40, 24, qRgb(0, 0, 0)), JpegCoding::Progressive)
                                      << QStringList() << qint64(4608);
    const GifFrame restored{solid(16, 16, qRgb(0, 0, 0)), {}, 3, 0, std::nullopt};
    QTest::newRow("GIF frames restored, a PNG sheet") << "p.gif" << encodeGif({restored, restored}, QSize(24, 16))
                                                      << QStringList{"--frames", "-f", "png"} << qint64(3840);
    QTest::newRow("GIF frames compressed") << "p.gif" << encodeGif({restored, restored}, QSize(24, 16))
                                           << QStringList{"--frames", "--compress", "packbits"} << qint64(3218);
    QTest::newRow("--mask") << "p.gif" << encodeGif({solid(16, 16, qRgb(0, 0, 0))}, qRgb(0, 0, 0))
                            << QStringList{"-f", "c51", "--name", "t", "--mask"} << qint64(256);
    QTest::newRow("tiles") << "p.bmp" << mono << QStringList{"--tile", "16x8"} << qint64(2048);
    QTest::newRow("--fit") << "p.bmp" << encodeBmp(solid(300, 200, qRgb(90, 90, 90)), 24)
                           << QStringList{"--fit", "128x64"} << qint64(24576);
    QTest::newRow("--fit in steps") << "p.bmp" << encodeBmp(solid(2100, 30, qRgb(90, 90, 90)), 24)
                                    << QStringList{"--fit", "64x8"} << qint64(4352);
    QTest::newRow("standard input") << "-" << mono << QStringList() << qint64(1048576);
    QTest::newRow("glyphs") << "p.bdf" << tinyBdf() << QStringList{"--text", QString::fromUtf8("A你")} << qint64(12271);
    // A line's growth past its length is given back once it ends.
    QTest::newRow("strings, a long line")
        << "p.bdf" << tinyBdf() << QStringList{"--strings", "lines.txt"} << qint64(61703);
}

void tst_CliRobustness::eachRunFitsItsPeakExactly()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(qint64, peak);
    picture(QStringLiteral("lines.txt"), QByteArray(3000, 'A') + QByteArray("\nA").repeated(100));
    const bool font = name.endsWith(u".bdf");
    if (name != u"-")
        picture(name, content);
    const auto at = [&](qint64 limit) {
        return run(options +
                       QStringList{QStringLiteral("--max-memory"), QString::number(limit), QStringLiteral("-o"),
                                   QStringLiteral("/dev/null")} +
                       (font ? QStringList{QStringLiteral("--font"), name} : QStringList{name}),
                   exampleEpoch, {}, name == u"-" ? content : QByteArray());
    };
    const Run fits = at(peak);
    QVERIFY2(fits.exitCode == 0, qPrintable(fits.err));
    const Run below = at(peak - 1);
    QCOMPARE(below.exitCode, 1);
    QVERIFY2(below.err.endsWith(QStringLiteral(" (--max-memory raises it)\n")), qPrintable(below.err));
}

void tst_CliRobustness::failedOutputKeepsTheOldFile()
{
    QTemporaryDir out;
    QVERIFY(QDir().mkdir(out.filePath(QStringLiteral("code.txt"))));
    const Run intoDirectory =
        run({QStringLiteral("-o"), out.filePath(QStringLiteral("code.txt")), QStringLiteral("t.bmp")});
    QCOMPARE(intoDirectory.exitCode, 1);
    QVERIFY2(
        intoDirectory.err.endsWith(out.filePath(QStringLiteral("code.txt")) + QStringLiteral(": is a directory\n")),
        qPrintable(intoDirectory.err));
    QVERIFY(run({out.filePath(QStringLiteral("code.txt"))}).err.endsWith(u": is a directory, not a picture file\n"));
    QVERIFY(QFileInfo(out.filePath(QStringLiteral("code.txt"))).isDir());

    const Run intoMissingFolder =
        run({QStringLiteral("-o"), out.filePath(QStringLiteral("no/code.txt")), QStringLiteral("t.bmp")});
    QCOMPARE(intoMissingFolder.exitCode, 1);
    QVERIFY2(intoMissingFolder.err.contains(
                 QStringLiteral("there is no folder %1 to write it in").arg(out.filePath(QStringLiteral("no")))),
             qPrintable(intoMissingFolder.err));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("code.txt")});
}

void tst_CliRobustness::batchGoesOnPastAFailure()
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
    // Pictures that each fit the memory limit alone (25600 bytes turned), but not two at once, all convert; a try
    // refused beside another picture says nothing.
    QStringList turned = words("--rotate 90 -f hex --max-memory 40000 --output-dir turned");
    for (int i = 0; i < 16; ++i)
        turned << picture(QStringLiteral("batch/t%1.bmp").arg(i), encodeBmp(solid(256, 256, qRgb(0, 0, 0)), 1));
    const Run all = run(turned);
    QCOMPARE(all.exitCode, 0);
    QCOMPARE(all.err, QString());
}

void tst_CliRobustness::largePictureInFlatMemory()
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
    // Shrunk to 128 x 64, the largest step first: what is held between is a 256th of it, not nearly all of it.
    const long resized =
        peakKiB({"--resize", "128x64", "-f", "hex", "-o", "/dev/null", QFile::encodeName(dir.filePath(bmp))});
    QVERIFY2(resized >= 0 && resized < peak + 64 * 1024,
             qPrintable(QStringLiteral("peak %1 KiB resized").arg(resized)));
    // Turned, it is held whole as the tone leaves it, a bit a pixel: 50 MB, not 1.6 GB of colours.
    const long turned =
        peakKiB({"--rotate", "90", "-f", "hex", "-o", "/dev/null", QFile::encodeName(dir.filePath(bmp))});
    QVERIFY2(turned >= 0 && turned < 128 * 1024, qPrintable(QStringLiteral("peak %1 KiB turned").arg(turned)));
    QFile::remove(dir.filePath(bmp));
}

// The widest picture there may be, 2^20 pixels, of RLE data that ends at once: a few rows' worth of memory.
void tst_CliRobustness::widestPictureInFlatMemory()
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
    // 500000 strings of one character each, 1 MB of text, cost more than 50 MB held: refused within it.
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    const QString strings = picture(QStringLiteral("strings.txt"), QByteArray("A\n").repeated(500000));
    const long text = peakKiB({"--font", QFile::encodeName(dir.filePath("tiny.bdf")), "--strings",
                               QFile::encodeName(dir.filePath(strings)), "--max-memory", "50M", "-o", "/dev/null"},
                              1);
    QVERIFY2(text >= 0 && text < 80 * 1024, qPrintable(QStringLiteral("peak %1 KiB").arg(text)));
}

void tst_CliRobustness::outputNeverReplacesAPicture()
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
    picture(QStringLiteral("boxes.ttf"), readFile(QStringLiteral(TESSALINE_FUZZ_CORPUS "/font-boxes.ttf")));
    const QByteArray here = QFile::encodeName(dir.path());
    const QByteArray fonts = here + "/fonts.conf";
    picture(QStringLiteral("fonts.conf"),
            "<fontconfig><dir>" + here + "</dir><cachedir>" + here + "/fc-cache</cachedir></fontconfig>");
    // Standard input from the picture; standard output appended to it; fontconfig finding the fonts here.
    const auto fromSame = [fonts] {
        ::dup2(::open("same.bmp", O_RDONLY), STDIN_FILENO);
        ::setenv("FONTCONFIG_FILE", fonts.constData(), 1);
    };
    const auto toSame = [] { ::dup2(::open("same.bmp", O_WRONLY | O_APPEND), STDOUT_FILENO); };
    for (const auto &[arguments, message, inChild] :
         {std::tuple{words("--font tiny.bdf --text-file t.txt -o t.txt"), "t.txt: is the text file t.txt itself",
                     std::function<void()>(fromSame)},
          {words("--font tiny.bdf --text-file t.txt -f c51 --name t --header t.txt"), "is the text file t.txt",
           fromSame},
          {words("--font tiny.bdf --text A -o tiny.bdf"), "tiny.bdf: is the font tiny.bdf itself", fromSame},
          {QStringList{"--font", "Tessaline Seed", "--text", "A", "-o", "boxes.ttf"},
           "boxes.ttf: is the font Tessaline Seed (", fromSame},
          {words("--font tiny.bdf --strings t.txt -o t.txt"), "t.txt: is the strings file t.txt itself", fromSame},
          {words("-f c51 --name o --header o.c -o o.c same.bmp"), "o.c: is both the header and the output", fromSame},
          {words("--pad -o same.bmp -"), "same.bmp: is standard input itself", fromSame},
          {words("same.bmp"), "standard output is the picture same.bmp itself", toSame}}) {
        const Run r = run(arguments, exampleEpoch, inChild);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QLatin1String(message)), qPrintable(r.err));
    }
    QCOMPARE(readFile(dir.filePath(QStringLiteral("t.txt"))), QByteArray("AB"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("same.bmp"))), bmp);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("boxes.ttf"))),
             readFile(QStringLiteral(TESSALINE_FUZZ_CORPUS "/font-boxes.ttf")));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("o.c"))));
}

void tst_CliRobustness::partWayFailureStopsTheStream()
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
    QVERIFY2(r.err.contains(QStringLiteral("cut.jpg: the file is cut short (the output stops there)")),
             qPrintable(r.err));
    // Every row before the cut, as the whole file has it, and nothing after.
    const QByteArray made = afterHeader(r.out);
    QVERIFY(made.count("\r\nDB   ") > 64);
    QVERIFY(afterHeader(run({picture(QStringLiteral("cut.jpg"), jpeg)}).out).startsWith(made));
}

void tst_CliRobustness::badInputsAreRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    for (const BadInputs::BadInput &bad : BadInputs::make(dir.filePath(QStringLiteral("bad"))))
        QTest::newRow(qPrintable(bad.name)) << bad.path << bad.converterReason;
}

void tst_CliRobustness::badInputsAreRefused()
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

void tst_CliRobustness::longAndStrangePathsWork()
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

void tst_CliRobustness::fullDiskKeepsTheOldOutput()
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
    // Compressed, the text is written at the end, in one go.
    const Run packed = run({QStringLiteral("--compress"), QStringLiteral("packbits"), QStringLiteral("--name"),
                            QStringLiteral("t"), QStringLiteral("-o"), output, QStringLiteral("t.bmp")},
                           exampleEpoch, smallDisk);
    QCOMPARE(packed.exitCode, 1);
    QCOMPARE(packed.err.count(u'\n'), 1);
    QCOMPARE(readFile(output), QByteArray("old"));

    const Run hex =
        run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("-o"), output, QStringLiteral("t.bmp")},
            exampleEpoch, smallDisk);
    QCOMPARE(hex.exitCode, 0); // four bytes fit under the limit
    QCOMPARE(readFile(output), QByteArray("\x81\xFF\x00\x0A", 4));
}

void tst_CliRobustness::runningOutOfMemoryIsSaid()
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

QTEST_GUILESS_MAIN(tst_CliRobustness)
#include "tst_cli_robustness.moc"
