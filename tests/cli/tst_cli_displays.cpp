// The converter for real displays: layouts, bit orders, thresholds, dithering, turning, PBM, PNG and the preview.

#include "core/version.h"
#include "support/limits.h"
#include "support/refusals.h"
#include "cli/converter.h"

#include "decode/bytesource.h"
#include "decode/decoder.h"
#include "support/testpictures.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace TestPictures;

class tst_CliDisplays : public ConverterTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void displayOptions_data();
    void displayOptions();
    void pbmReadsBackAsPacked();
    void pngShowsWhatTheDisplayShows_data();
    void pngShowsWhatTheDisplayShows();
    void preview();
    void sizesAsAModelHasThem_data();
    void sizesAsAModelHasThem();
    void turnsAsQtTurnsThem_data();
    void turnsAsQtTurnsThem();
};

void tst_CliDisplays::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_CliDisplays::displayOptions_data()
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
    // Black at 0, 2, 6 and 7 of a row (or of a column): A3 with the first pixel in bit 7, C5 in bit 0; and its
    // complement below it, so that every bit is set in one of them; then rows of each pixel's index in binary,
    // so that no two pixels are alike in all. Each row's second byte is its first's complement.
    QStringList rows{QStringLiteral("#.#...##"), QStringLiteral(".#.###.."), QStringLiteral(".#.#.#.#"),
                     QStringLiteral("..##..##"), QStringLiteral("....####")};
    for (QString &r : rows)
        r += QString(r).replace(u'#', u'x').replace(u'.', u'#').replace(u'x', u'.');
    const QByteArray row = encodeBmp(fromRows(rows), 24);
    QImage column = solid(1, 8, qRgb(255, 255, 255));
    for (int y : {0, 2, 6, 7})
        column.setPixel(0, y, qRgb(0, 0, 0));
    QTest::newRow("horizontal, msb: a pattern") << row << "-f hex"
                                                << QByteArray::fromHex("A35C"
                                                                       "5CA3"
                                                                       "55AA"
                                                                       "33CC"
                                                                       "0FF0");
    QTest::newRow("horizontal, lsb: a pattern") << row << "-f hex --bit-order lsb"
                                                << QByteArray::fromHex("C53A"
                                                                       "3AC5"
                                                                       "AA55"
                                                                       "CC33"
                                                                       "F00F");
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
    QTest::newRow("--threshold 0: not even black is below it")
        << encodeBmp(ramp, 24) << "-f hex --threshold 0" << QByteArray(1, '\0');
    QTest::newRow("--dither bayer4: 4 x 4 mid-grey")
        << encodeBmp(solid(4, 4, qRgb(128, 128, 128)), 24) << "-f hex --dither bayer4 --pad"
        << QByteArray("\x50\xA0\x50\xA0");
    // Worked by hand: errors handed on 7/16, 3/16, 5/16, 1/16 (1/8 to six for Atkinson), rounded toward zero.
    QTest::newRow("--dither floyd-steinberg: 8 x 2 grey 100")
        << encodeBmp(solid(8, 2, qRgb(100, 100, 100)), 24) << "-f hex --dither floyd-steinberg"
        << QByteArray("\xB6\xAB");
    QTest::newRow("--dither atkinson: 8 x 1 grey 100")
        << encodeBmp(solid(8, 1, qRgb(100, 100, 100)), 24) << "-f hex --dither atkinson" << QByteArray("\xEF");
    // Each channel its own error, as the README's arithmetic has it (worked out by a model of it).
    QImage eight(4, 2, QImage::Format_RGB32);
    const QRgb colours[8] = {qRgb(100, 150, 200), qRgb(30, 60, 90),    qRgb(250, 10, 128), qRgb(77, 77, 77),
                             qRgb(10, 200, 30),   qRgb(128, 128, 128), qRgb(200, 100, 50), qRgb(5, 250, 250)};
    for (int i = 0; i < 8; ++i)
        eight.setPixel(i % 4, i / 4, colours[i]);
    QTest::newRow("--dither floyd-steinberg, rgb332: a channel's error to its own neighbours")
        << encodeBmp(eight, 24) << "-f hex --pixel rgb332 --dither floyd-steinberg"
        << QByteArray("\x72\x29\xE2\x49\x14\x92\xAC\x1F", 8);

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
    QTest::newRow("resized, --threshold 200 given: kept, not 128")
        << rampBmp << "-f hex --resize 4x1 --threshold 200 --pad" << QByteArray("\xE0");
    QTest::newRow("gray4: white and black")
        << encodeBmp(fromRows({QStringLiteral("..##")}), 24) << "-f hex --pixel gray4" << QByteArray("\xFF\x00", 2);
    QTest::newRow("gray4, --pad: 3 black and white padding")
        << encodeBmp(fromRows({QStringLiteral("###")}), 24) << "-f hex --pixel gray4 --pad"
        << QByteArray("\x00\x0F", 2);
    QImage partial(4, 1, QImage::Format_ARGB32);
    partial.setPixel(0, 0, qRgba(255, 0, 0, 128));
    partial.setPixel(1, 0, qRgba(0, 0, 255, 255));
    partial.setPixel(2, 0, qRgba(100, 200, 50, 3));
    partial.setPixel(3, 0, qRgba(200, 151, 0, 254)); // nearly opaque: back from premultiplied, rounded as it was
    QTest::newRow("--resize to its own size: partial alpha kept through premultiplying")
        << encodePng(partial, 6, 8) << "-f hex --pixel rgb888 --background black --resize 4x1"
        << QByteArray("\x80\x00\x00\x00\x00\xFF\x01\x02\x01\xC7\x96\x00", 12);
    QTest::newRow("--resize 8x: a side scaled to less than a half kept at 1")
        << encodeBmp(solid(40, 2, qRgb(0, 0, 0)), 24) << "-f hex --resize 8x" << QByteArray("\xFF");
    QTest::newRow("--resize 1x: the height follows the width's factor")
        << encodeBmp(solid(4, 16, qRgb(0, 0, 0)), 24) << "-f hex --resize 1x --pad" << QByteArray(4, '\x80');
    QTest::newRow("--resize 8x1: a side of 1 asked")
        << encodeBmp(solid(8, 16, qRgb(0, 0, 0)), 24) << "-f hex --resize 8x1" << QByteArray("\xFF");
    QTest::newRow("gray8: the luminance") << rampBmp << "-f hex --pixel gray8" << QByteArray("\x00\x55\xAA\xFF", 4);
    QImage halves = solid(3, 1, qRgb(1, 123, 0)); // luminances 72.5, 73.5 and 72.5, each weight counting
    halves.setPixel(1, 0, qRgb(2, 124, 1));
    halves.setPixel(2, 0, qRgb(16, 114, 7));
    QTest::newRow("gray8: a half rounds to even")
        << encodeBmp(halves, 24) << "-f hex --pixel gray8" << QByteArray("\x48\x4A\x48", 3);
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
    QTest::newRow("--display ssd1306: vertical, lsb, lit: a bright pixel a 1")
        << dotBmp << "-f hex --display ssd1306" << QByteArray("\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8);
    QTest::newRow("--display ssd1306 --invert: a black pixel a 1") << dotBmp << "-f hex --invert --display ssd1306"
                                                                   << "\x01" + zeros7;
    QTest::newRow("--display ssd1306 --invert: the page's padding rows stay unlit")
        << encodeBmp(solid(1, 12, qRgb(0, 0, 0)), 24) << "-f hex --display ssd1306 --invert" << QByteArray("\xFF\x0F");
    QTest::newRow("--display st7565: dark, a black pixel a 1") << dotBmp << "-f hex --display st7565"
                                                               << "\x01" + zeros7;
    QTest::newRow("--display ssd1322 --pad: the padding unlit, 0")
        << encodeBmp(fromRows({QStringLiteral("...")}), 24) << "-f hex --display ssd1322 --pad"
        << QByteArray("\xFF\xF0", 2);
    // A display sets what no option given sets, whichever comes first: the layout given stays, the display's bit
    // order and ink come with it (the dot at (1, 0): column 1's byte, row 0 in bit 7).
    QImage second = solid(8, 8, qRgb(255, 255, 255));
    second.setPixel(1, 0, qRgb(0, 0, 0));
    for (const char *order : {"--layout vertical --display st7920", "--display st7920 --layout vertical"})
        QTest::newRow(order) << encodeBmp(second, 24) << QStringLiteral("-f hex ") + QLatin1String(order)
                             << QByteArray("\0\x80", 2) + QByteArray(6, '\0');
    QTest::newRow("c51 rgb565: the header says how the bytes go")
        << encodeBmp(fromRows({QStringLiteral("r")}), 24) << "-f c51 --pixel rgb565"
        << QString::fromUtf8("/*----  像素格式：rgb565（R<<11 | G<<5 | B），每像素2字节，高字节在前  ----*/\r\n"
                             "0xF8, 0x00, \r\n")
               .toUtf8();
    QTest::newRow("c51 gray4 --bit-order lsb: the header says the left pixel's half")
        << encodeBmp(fromRows({QStringLiteral("r.")}), 24) << "-f c51 --pixel gray4 --bit-order lsb"
        << QString::fromUtf8("/*----  像素格式：gray4，每字节2个像素，左边的像素在低位  ----*/\r\n0xF4, \r\n").toUtf8();
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
    QTest::newRow("ihex: 16 bytes a record") << encodeBmp(solid(64, 3, qRgb(255, 255, 255)), 24) << "-f ihex"
                                             << QByteArray(":1000000000000000000000000000000000000000F0\r\n"
                                                           ":080010000000000000000000E8\r\n:00000001FF\r\n");
    QTest::newRow("ihex: over a 64 KiB boundary")
        << encodeBmp(solid(64, 3, qRgb(255, 255, 255)), 24) << "-f ihex --address 0xFFF0"
        << QByteArray(":10FFF0000000000000000000000000000000000001\r\n"
                      ":020000040001F9\r\n"
                      ":080000000000000000000000F8\r\n"
                      ":00000001FF\r\n");
    QTest::newRow("ihex: the last four bytes below 4 GiB")
        << workedBmp << "-f ihex --address 0xFFFFFFFC"
        << QByteArray(":02000004FFFFFC\r\n:04FFFC0081FF000A77\r\n:00000001FF\r\n");
    QTest::newRow("ihex: the last byte below 4 GiB")
        << encodeBmp(solid(1, 1, qRgb(0, 0, 0)), 24) << "-f ihex --pad --address 0xFFFFFFFF"
        << QByteArray(":02000004FFFFFC\r\n:01FFFF008081\r\n:00000001FF\r\n");
    QTest::newRow("ihex: above 64 KiB from the first byte") << workedBmp << "-f ihex --address 74565"
                                                            << QByteArray(":020000040001F9\r\n"
                                                                          ":0423450081FF000A0A\r\n:00000001FF\r\n");
    QTest::newRow("pbm of one picture: streamed, no sheet held (4096 bytes, past --max-memory 1K)")
        << encodeBmp(solid(64, 64, qRgb(0, 0, 0)), 24) << "-f pbm --max-memory 1K"
        << QByteArray("P4\n64 64\n") + QByteArray(512, '\xFF');
    QTest::newRow("--name, a51: a relocatable module, the array public in a code segment")
        << workedBmp << "-f a51 --name logo"
        << QByteArray("NAME    LOGO\r\nPUBLIC  logo\r\n?CO?LOGO SEGMENT CODE\r\nRSEG    ?CO?LOGO\r\n"
                      "logo:\r\nDB   081H, 0FFH\r\nDB   000H, 00AH\r\nEND\r\n");
    QTest::newRow("--name, sdas: a module, SDCC's areas in their order, the array global in CONST")
        << workedBmp << "-f sdas --name logo"
        << QByteArray("\t.module logo\r\n\t.globl _logo\r\n\t.area REG_BANK_0\t(REL,OVR,DATA)\r\n"
                      "\t.area DSEG    (DATA)\r\n\t.area SSEG\r\n\t.area ISEG    (DATA)\r\n\t.area BSEG    (BIT)\r\n"
                      "\t.area PSEG    (PAG,XDATA)\r\n\t.area XSEG    (XDATA)\r\n\t.area XISEG   (XDATA)\r\n"
                      "\t.area HOME    (CODE)\r\n\t.area GSINIT0 (CODE)\r\n\t.area GSINIT1 (CODE)\r\n"
                      "\t.area GSINIT2 (CODE)\r\n\t.area GSINIT3 (CODE)\r\n\t.area GSINIT4 (CODE)\r\n"
                      "\t.area GSINIT5 (CODE)\r\n\t.area GSINIT  (CODE)\r\n\t.area GSFINAL (CODE)\r\n"
                      "\t.area CSEG    (CODE)\r\n\t.area CONST   (CODE)\r\n_logo::\r\n"
                      "\t.db 0x81, 0xFF\r\n\t.db 0x00, 0x0A\r\n");
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

void tst_CliDisplays::displayOptions()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, options);
    QFETCH(QByteArray, data);
    const Run r = run(options.split(u' ') + QStringList{picture(QStringLiteral("options.pic"), file)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QByteArray out = r.out;
    if (options.contains(QStringLiteral("a51")) || options.contains(QStringLiteral("c51")) ||
        options.contains(QStringLiteral("sdas")))
        out = out.mid(out.indexOf("\r\n", out.indexOf("V" TESSALINE_VERSION)) + 2); // after the fourth header line
    QCOMPARE(out.toHex(' '), data.toHex(' '));
}

// The PBM is the picture as packed, before --invert: Qt reads it back as the packed picture, black on white.
void tst_CliDisplays::pbmReadsBackAsPacked()
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

void tst_CliDisplays::pngShowsWhatTheDisplayShows_data()
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
    QTest::newRow("gray4 on a lit display, padded dark")
        << encodeBmp(ramp.copy(0, 0, 3, 1), 24) << "--display ssd1322 --pad"
        << QList<QRgb>{qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(153, 153, 153), qRgb(0, 0, 0)};
    QTest::newRow("mono on an OLED: as it lights, --invert a negative")
        << encodeBmp(fromRows({QStringLiteral("#.")}), 24) << "--display ssd1306 --invert --layout horizontal --pad"
        << QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0, 0, 0)};
    // Wider than libpng lets its readers take by default.
    QImage wide = solid(1000008, 1, qRgb(255, 255, 255));
    wide.setPixel(0, 0, qRgb(0, 0, 0));
    QTest::newRow("mono, a million pixels wide") << encodeBmp(wide.convertToFormat(QImage::Format_Mono), 1) << ""
                                                 << QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)};
}

void tst_CliDisplays::pngShowsWhatTheDisplayShows()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, options);
    QFETCH(QList<QRgb>, pixels);
    const Run r = run(QStringList{QStringLiteral("-f"), QStringLiteral("png"), picture(QStringLiteral("s.bmp"), file)} +
                      options.split(u' ', Qt::SkipEmptyParts));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    Refusal error;
    const auto shown =
        openPicture(memorySource(r.out), PictureLimits{PictureFormats::AllFormats, converterLimits()}, &error);
    QVERIFY2(shown, qPrintable(describe(error)));
    std::vector<QRgb> row(std::size_t(shown->width()));
    QVERIFY(shown->readRow(row.data()));
    for (int x = 0; x < pixels.size(); ++x)
        QCOMPARE(QString::number(row[std::size_t(x)] & 0xFFFFFF, 16), QString::number(pixels[x] & 0xFFFFFF, 16));
}

void tst_CliDisplays::preview()
{
    QImage dot = solid(8, 8, qRgb(255, 255, 255));
    dot.setPixel(0, 0, qRgb(0, 0, 0));
    const QString dotBmp = picture(QStringLiteral("dot.bmp"), encodeBmp(dot, 24));
    const Run full = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    QCOMPARE(full.exitCode, 0);
    QCOMPARE(full.err, QStringLiteral("▀       \n        \n        \n        \n"));
    // On a display that lights its pixels, the lit ones are drawn, as a dark terminal shows them: the dot is dark.
    QCOMPARE(run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--display"), QStringLiteral("ssd1306"),
                  QStringLiteral("--preview"), dotBmp})
                 .err,
             QStringLiteral("▄███████\n") + QStringLiteral("████████\n").repeated(3));
    const QString checksBmp = picture(
        QStringLiteral("checks.bmp"),
        encodeBmp(fromRows({QStringLiteral("#.#.#.#."), QStringLiteral(".#.#.#.#"), QStringLiteral("#.......")}), 24));
    // Scaled cells and colours: in plain half blocks into a pipe, and with NO_COLOR, whatever is forced.
    qputenv("COLUMNS", "4");
    for (const char *environment : {"", "NO_COLOR"}) {
        qputenv("CLICOLOR_FORCE", *environment ? "1" : "");
        if (*environment)
            qputenv(environment, "1");
        const Run plain =
            run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"),
                 picture(QStringLiteral("half.bmp"),
                         encodeBmp(fromRows({QStringLiteral("####...."), QStringLiteral("###.....")}), 24))});
        QCOMPARE(plain.err, QStringLiteral("(scaled down 2 times to fit 4 columns)\n▀▀  \n"));
        // Half grey is no darker than mid-grey: left blank.
        QCOMPARE(run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), checksBmp}).err,
                 QStringLiteral("(scaled down 2 times to fit 4 columns)\n    \n"));
        qunsetenv("NO_COLOR");
    }
    qputenv("CLICOLOR_FORCE", "1"); // the colour cases below: standard error is a pipe here
    qputenv("COLUMNS", "4");
    const Run scaled = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    qunsetenv("COLUMNS");
    // Scaled down, a cell is as grey as its share of white pixels, over the cell below it.
    const auto cell = [](int upper, int lower) {
        return QStringLiteral("\x1b[38;2;%1;%1;%1m\x1b[48;2;%2;%2;%2m▀").arg(upper).arg(lower);
    };
    const QString whiteLine = cell(255, 255).repeated(4) + QStringLiteral("\x1b[0m\n");
    QCOMPARE(scaled.err, QStringLiteral("(scaled down 2 times to fit 4 columns)\n") + cell(191, 255) +
                             cell(255, 255).repeated(3) + QStringLiteral("\x1b[0m\n") + whiteLine);
    QCOMPARE(scaled.out, full.out);
    // A checkerboard is half grey, not black; a cell row of one picture row counts as if whole.
    qputenv("COLUMNS", "4");
    const Run checks = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), checksBmp});
    qunsetenv("COLUMNS");
    QCOMPARE(checks.err, QStringLiteral("(scaled down 2 times to fit 4 columns)\n") + cell(128, 128) +
                             cell(128, 255).repeated(3) + QStringLiteral("\x1b[0m\n"));
    qputenv("COLUMNS", "2147483647"); // wider than any picture: no scaling, and no overflow on the way
    const Run wide = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    qputenv("COLUMNS", "1");
    const Run narrow = run({QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"), dotBmp});
    qunsetenv("COLUMNS");
    QCOMPARE(wide.err, full.err);
    QVERIFY2(narrow.err.startsWith(QStringLiteral("(scaled down 8 times to fit 1 column)\n")), qPrintable(narrow.err));
    const Run frames =
        run({QStringLiteral("--frames"), QStringLiteral("-f"), QStringLiteral("hex"), QStringLiteral("--preview"),
             picture(QStringLiteral("two.gif"), encodeGif({dot, solid(8, 8, qRgb(0, 0, 0))}))});
    QCOMPARE(frames.err, QStringLiteral("(the first of 2 frames)\n") + full.err);
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
    qunsetenv("CLICOLOR_FORCE");
}

// The pictures --resize, --fit and --fill make, as an independent model in PIL makes them: Lanczos within a
// level or so (the two round differently: a mean below 1, under 1 % of samples more than 8 apart), the nearest
// pixel exactly.
void tst_CliDisplays::sizesAsAModelHasThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("options"); // the converter's: the fit and the size, then any others
    QTest::addColumn<int>("frame");       // of an animation: which, in the sheet of them
    QImage photo(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            photo.setPixel(x, y, qRgb(x * 255 / 639, (x * y / 97 + y) % 256, 255 - y * 255 / 479));
    QImage drawing = solid(300, 120, qRgb(255, 255, 255));
    {
        QPainter painter(&drawing);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QRectF(20.5, 10.5, 160, 95));
        painter.setPen(QPen(Qt::black, 6.5));
        painter.drawLine(QPointF(190, 110), QPointF(290, 12));
    }
    QImage art = fromRows({QStringLiteral("r.g.b..#"), QStringLiteral(".rrgg##."), QStringLiteral("bb....rg")});
    QImage icon(40, 40, QImage::Format_ARGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) { // a red disc, its edge partly transparent, clear around it
            const double d = std::hypot(x - 19.5, y - 19.5);
            icon.setPixel(x, y, qRgba(220, 40, 30, int(std::clamp(18 - d, 0.0, 1.0) * 255)));
        }
    const QByteArray gif = encodeGif({{art.scaled(60, 40), {}, 0, 10, std::nullopt}, // few colours, as GIF's
                                      {drawing.scaled(60, 40), {}, 0, 10, std::nullopt}},
                                     QSize(60, 40));
    QTest::newRow("a photograph, fit 128x64") << "photo.jpg" << encodeJpeg(photo, 90) << "--fit 128x64" << 0;
    QTest::newRow("a photograph, fill 128x64") << "photo.jpg" << encodeJpeg(photo, 90) << "--fill 128x64" << 0;
    QTest::newRow("a photograph, resize x50") << "photo.jpg" << encodeJpeg(photo, 90) << "--resize x50" << 0;
    QTest::newRow("a photograph, fit 32x24: shrunk 20 times, in two steps")
        << "photo.png" << encodePng(photo, 2, 8) << "--fit 32x24" << 0;
    QTest::newRow("a photograph, resize 20x12: shrunk 32 and 40 times, in steps")
        << "photo.png" << encodePng(photo, 2, 8) << "--resize 20x12" << 0;
    QTest::newRow("a strip of a photograph to one column")
        << "strip.png" << encodePng(photo.copy(300, 0, 12, 40), 2, 8) << "--resize 1x40" << 0;
    QTest::newRow("a drawing's anti-aliased edges, fit 100x100")
        << "drawing.png" << encodePng(drawing, 2, 8) << "--fit 100x100" << 0;
    QTest::newRow("a drawing enlarged, resize 700x")
        << "drawing.png" << encodePng(drawing, 2, 8) << "--resize 700x" << 0;
    QTest::newRow("pixel art, nearest, 4 times: whole blocks")
        << "art.png" << encodePng(art, 2, 8) << "--resize 32x12 --filter nearest" << 0;
    QTest::newRow("an animation's second frame, fit 30x30") << "walk.gif" << gif << "--fit 30x30 --frames" << 1;
    QTest::newRow("an icon's alpha, premultiplied, over #336699")
        << "icon.png" << encodePng(icon, 6, 8) << "--fit 24x24 --background #336699" << 0;
}

void tst_CliDisplays::sizesAsAModelHasThem()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, options);
    QFETCH(int, frame);
    if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3")))
        QSKIP("python3-pil is missing (scripts/install-deps installs it)");
    picture(name, content);
    const Run r = run(options.split(u' ') + QStringList{"--pixel", "rgb888", "-f", "png", name});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QImage ours = QImage::fromData(r.out, "PNG").convertToFormat(QImage::Format_RGB32);
    const QStringList words = options.split(u' ');
    const QString fit = words[0] == u"--fit"    ? QStringLiteral("contain")
                        : words[0] == u"--fill" ? QStringLiteral("cover")
                                                : QStringLiteral("stretch");
    const QString background = options.contains(u'#') ? options.section(u'#', 1).left(6) : QStringLiteral("FFFFFF");
    const bool nearest = options.contains(QStringLiteral("nearest"));
    QProcess model;
    model.setWorkingDirectory(dir.path());
    model.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(TESSALINE_SOURCE "/tests/support/resizemodel.py"), name, fit, words[1],
                 nearest ? QStringLiteral("nearest") : QStringLiteral("lanczos"), u'#' + background,
                 QStringLiteral("model.png"), QString::number(frame)});
    QVERIFY(model.waitForFinished(60000));
    QVERIFY2(model.exitCode() == 0, model.readAllStandardError().constData());
    const QImage expected = QImage(dir.filePath(QStringLiteral("model.png"))).convertToFormat(QImage::Format_RGB32);
    ours = ours.copy(frame * expected.width(), 0, expected.width(), expected.height()); // its frame of the sheet
    QCOMPARE(ours.size(), expected.size());
    qint64 sum = 0, far = 0, samples = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x)
            for (const int shift : {16, 8, 0}) {
                const int d =
                    std::abs(int((ours.pixel(x, y) >> shift) & 0xFF) - int((expected.pixel(x, y) >> shift) & 0xFF));
                sum += d;
                far += d > 8;
                ++samples;
            }
    if (nearest)
        QCOMPARE(sum, 0);
    QVERIFY2(sum <= samples && far * 100 <= samples,
             qPrintable(QStringLiteral("mean %1, %2 of %3 samples more than 8 apart")
                            .arg(double(sum) / samples)
                            .arg(far)
                            .arg(samples)));
}

QTEST_GUILESS_MAIN(tst_CliDisplays)
#include "tst_cli_displays.moc"

// Every turn at every depth the turn holds a picture at (levels of a bit, with the mask's, a byte, two, colours to
// be dithered) gives the bytes the picture turned by Qt first gives unturned.
void tst_CliDisplays::turnsAsQtTurnsThem_data()
{
    QTest::addColumn<QString>("options");
    QTest::newRow("mono, exact: a bit a pixel, nearly all white") << "-f c51 --name p --pad";
    QTest::newRow("mono, --threshold: a bit a pixel") << "-f c51 --name p --pad --threshold 128";
    QTest::newRow("mono, --threshold, --mask, vertical: two bits")
        << "-f c51 --name p --pad --threshold 128 --mask --layout vertical";
    QTest::newRow("gray4: a byte") << "-f c51 --name p --pad --pixel gray4";
    QTest::newRow("gray8, --mask: two bytes") << "-f c51 --name p --pixel gray8 --mask";
    QTest::newRow("rgb565, --mask: four bytes") << "-f c51 --name p --pixel rgb565 --mask";
    QTest::newRow("rgb332: four bytes") << "-f c51 --name p --pixel rgb332";
    QTest::newRow("--dither atkinson: the colours") << "-f c51 --name p --pad --dither atkinson --mask";
}

void tst_CliDisplays::turnsAsQtTurnsThem()
{
    QFETCH(QString, options);
    // 37 x 21: neither side a whole byte nor a whole band of turned rows; opaque, half and clear pixels.
    QImage image(37, 21, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 7, (x * y * 13) % 256, y * 12, (x + 2 * y) % 5 == 0 ? (x * 9) % 256 : 255));
    const QString name = picture(QStringLiteral("p.png"), encodePng(image, 6, 8));
    const struct {
        const char *turn;
        QImage turned;
    } turns[] = {
        {"--rotate 90", image.transformed(QTransform().rotate(90))},
        {"--rotate 180", image.transformed(QTransform().rotate(180))},
        {"--rotate 270", image.transformed(QTransform().rotate(270))},
        {"--flip vertical", image.mirrored(false, true)},
        {"--rotate 90 --flip vertical", image.transformed(QTransform().rotate(90)).mirrored(false, true)},
    };
    int k = 0;
    for (const auto &t : turns) {
        const QString model = QStringLiteral("turned%1.png").arg(k++); // the picture turned beforehand
        const Run turned = run(options.split(u' ') + QString::fromLatin1(t.turn).split(u' ') + QStringList{name});
        QVERIFY2(turned.exitCode == 0, qPrintable(turned.err));
        const Run unturned = run(options.split(u' ') + QStringList{picture(model, encodePng(t.turned, 6, 8))});
        QVERIFY2(unturned.exitCode == 0, qPrintable(unturned.err));
        QVERIFY2(afterHeader(turned.out) == afterHeader(unturned.out), t.turn);
    }
}
