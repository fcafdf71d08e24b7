// Frames of one output: animations, tiles and the glyphs of fonts.

#include "cli/converter.h"

#include "support/testpictures.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>
#include <QTemporaryDir>
#include <QTest>

using namespace TestPictures;

class tst_CliFrames : public ConverterTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void framesAndTiles_data();
    void framesAndTiles();
    void glyphTables_data();
    void glyphTables();
    void glyphRefusals_data();
    void glyphRefusals();
    void realFontsDrawEveryGb2312Character_data();
    void realFontsDrawEveryGb2312Character();
};

void tst_CliFrames::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_CliFrames::framesAndTiles_data()
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
    QTest::newRow("--frames: the first frame cleared after it shows")
        << encodeGif({{fromRows({QStringLiteral("rg")}), {}, 2, 0, std::nullopt},
                      {solid(1, 1, qRgb(0, 0, 255)), QPoint(1, 0), 0, 0, std::nullopt}},
                     QSize(2, 1))
        << "-f hex --pixel rgb888 --frames" << r + g + w + b;
    QTest::newRow("--frames: a screen of 0 x 0, the first frame's extent, as alone")
        << encodeGif({{fromRows({QStringLiteral("rg")}), {}, 0, 0, std::nullopt}}, QSize(0, 0))
        << "-f hex --pixel rgb888 --frames" << r + g;
    // A frame of no rows draws nothing: the picture so far shows again.
    QByteArray noRows = encodeGif({{fromRows({QStringLiteral("rg")}), {}, 0, 0, std::nullopt},
                                   {fromRows({QStringLiteral("rg")}), {}, 0, 0, std::nullopt}},
                                  QSize(2, 1));
    noRows.truncate(noRows.lastIndexOf(','));
    noRows += QByteArray(",\0\0\0\0\x02\0\0\0\0\x08\x03\x00\x03\x02\x00;", 18);
    QTest::newRow("--frames: a frame of no rows") << noRows << "-f hex --pixel rgb888 --frames" << r + g + r + g;
    // --mask: a bit a pixel where alpha is at least 128, packed as the data is, after the other tables.
    QImage alpha(8, 2, QImage::Format_ARGB32);
    const int alphas[16] = {255, 0, 255, 0, 0, 0, 255, 255, 127, 128, 0, 255, 200, 10, 255, 0};
    for (int i = 0; i < 16; ++i)
        alpha.setPixel(i % 8, i / 8, qRgba(0, 0, 0, alphas[i]));
    QTest::newRow("--mask, c51: an icon's alpha")
        << encodePng(alpha, 6, 8) << "-f c51 --name i --mask --threshold 128"
        << QByteArray("unsigned char code i[2] = {\r\n0xA3, \r\n0x5A, \r\n};\r\n"
                      "unsigned char code i_mask[2] = {\r\n0xA3, 0x5A, \r\n};\r\n");
    QTest::newRow("--mask, vertical: a page a column, the padding clear")
        << encodePng(alpha, 6, 8) << "-f c51 --name i --mask --threshold 128 --layout vertical"
        << QByteArray("unsigned char code i[8] = {\r\n0x01, 0x02, 0x01, 0x02, 0x02, 0x00, 0x03, 0x01, \r\n};\r\n"
                      "unsigned char code i_mask[8] = {\r\n0x01, 0x02, 0x01, 0x02, 0x02, 0x00, 0x03, 0x01, \r\n};\r\n");
    QTest::newRow("--mask on a lit display: the data lit where bright, the mask as the alpha still (lsb first)")
        << encodePng(alpha, 6, 8) << "-f c51 --name i --mask --threshold 128 --display ssd1306 --layout horizontal"
        << QByteArray("unsigned char code i[2] = {\r\n0x3A, \r\n0xA5, \r\n};\r\n"
                      "unsigned char code i_mask[2] = {\r\n0xC5, 0x5A, \r\n};\r\n");
    QByteArray bgra; // a version 5 BMP's rows, bottom up, blue, green, red and alpha
    for (int y = 1; y >= 0; --y)
        for (int x = 0; x < 8; ++x)
            bgra += QByteArray(3, '\0') + char(alphas[y * 8 + x]);
    QTest::newRow("--mask, 32-bit BMP, a51")
        << rawBmp(124, 8, 2, 32, 3, {}, bgra, 0, 0xFF000000u) << "-f a51 --name i --mask --threshold 128"
        << QByteArray("NAME    I\r\nPUBLIC  i\r\nPUBLIC  i_mask\r\n"
                      "?CO?I SEGMENT CODE\r\nRSEG    ?CO?I\r\ni:\r\n"
                      "DB   0A3H\r\nDB   05AH\r\ni_mask:\r\nDB   0A3H, 05AH\r\nEND\r\n");
    QTest::newRow("--frames --mask: a row a frame, a GIF's clear index")
        << encodeGif({{fromRows({QStringLiteral("#r#r#r#r")}), {}, 1, 10, qRgb(255, 0, 0)},
                      {fromRows({QStringLiteral("rr##rr##")}), {}, 2, 10, qRgb(255, 0, 0)}},
                     QSize(8, 1))
        << "-f c51 --name w --mask --frames"
        << QByteArray("unsigned char code w[2][1] = {\r\n/* frame 0 of 2, 100 ms */\r\n{\r\n0xAA, \r\n},\r\n"
                      "/* frame 1 of 2, 100 ms */\r\n{\r\n0xBB, \r\n},\r\n};\r\n"
                      "unsigned int code w_delays[2] = {\r\n0x0064, 0x0064, \r\n};\r\n"
                      "unsigned char code w_mask[2][1] = {\r\n0xAA, 0xBB, \r\n};\r\n");
    QTest::newRow("--frames: a frame past the screen's edges, clipped")
        << encodeGif({{fromRows({QStringLiteral("rg"), QStringLiteral("bb")}), QPoint(1, 0), 0, 0, std::nullopt}},
                     QSize(2, 1))
        << "-f hex --pixel rgb888 --frames" << w + r;
    QTest::newRow("--frames over white, given: as by default")
        << gif << "-f hex --pixel rgb888 --frames --background white" << r + g + b + r + g + r + r + w + g + r + b + w;
    QByteArray opaque = gif; // the second frame's graphic control without its transparency flag
    opaque[opaque.indexOf("\x21\xF9\x04", opaque.indexOf("\x21\xF9\x04") + 1) + 3] &= char(0xFE);
    QTest::newRow("--frames: an index is transparent only where the flag says so")
        << opaque << "-f hex --pixel rgb888 --frames"
        << r + g + b + r + QByteArray("\x01\x02\x03", 3) + r + r + w + g + r + b + w;
    QByteArray commented = gif; // a comment between the first frame's graphic control and its picture
    commented.insert(commented.indexOf("\x21\xF9\x04") + 8, QByteArray("\x21\xFE\x05hello\x00", 9));
    QTest::newRow("--frames: a comment is not a graphic control")
        << commented << "-f hex --pixel rgb888 --frames" << r + g + b + r + g + r + r + w + g + r + b + w;
    QTest::newRow("without --frames: the first frame") << gif << "-f hex --pixel rgb888" << r + g + b;
    const GifFrame wide{solid(64, 64, qRgb(0, 0, 0)), {}, 0, 0, std::nullopt};
    QTest::newRow("--frames: 8192 pixels decoded, at --max-pixels 8192")
        << encodeGif({wide, wide}, QSize(8, 1)) << "-f hex --frames --max-pixels 8192" << QByteArray("\xFF\xFF");
    const QByteArray redOnWider = encodeGif({{solid(1, 1, qRgb(255, 0, 0)), {}, 0, 0, std::nullopt}}, QSize(2, 1));
    QTest::newRow("without --frames: around the frame is clear, as in frame 0")
        << redOnWider << "-f hex --pixel rgb888 --background black" << r + QByteArray(3, '\0');
    QTest::newRow("--frames: frame 0 the same")
        << redOnWider << "-f hex --pixel rgb888 --frames --background black" << r + QByteArray(3, '\0');
    QTest::newRow("--frames, c51: a table, its lines, the delays")
        << gif << "-f c51 --pixel gray8 --frames --name a"
        << QByteArray("unsigned char code a[4][3] = {\r\n"
                      "/* frame 0 of 4, 100 ms */\r\n{\r\n0x4C, 0x96, 0x1D, \r\n},\r\n"
                      "/* frame 1 of 4, 200 ms */\r\n{\r\n0x4C, 0x96, 0x4C, \r\n},\r\n"
                      "/* frame 2 of 4, 300 ms */\r\n{\r\n0x4C, 0xFF, 0x96, \r\n},\r\n"
                      "/* frame 3 of 4, 400 ms */\r\n{\r\n0x4C, 0x1D, 0xFF, \r\n},\r\n};\r\n"
                      "unsigned int code a_delays[4] = {\r\n0x0064, 0x00C8, 0x012C, 0x0190, \r\n};\r\n");
    QTest::newRow("--frames, c51: a delay past 65535 ms widens the table")
        << encodeGif({{solid(1, 1, qRgb(0, 0, 0)), {}, 0, 65535, std::nullopt}}, QSize(1, 1))
        << "-f c51 --pixel gray8 --frames --name a"
        << QByteArray("unsigned char code a[1][1] = {\r\n/* frame 0 of 1, 655350 ms */\r\n{\r\n0x00, \r\n},\r\n};\r\n"
                      "unsigned long code a_delays[1] = {\r\n0x0009FFF6, \r\n};\r\n");
    QTest::newRow("--frames --compress, c51: one array, the offsets (larger: warned)")
        << gif << "-f c51 --pixel gray8 --frames --name a --compress packbits"
        << QByteArray("unsigned char code a[16] = {\r\n"
                      "/* frame 0 of 4, 100 ms */\r\n0x02, 0x4C, 0x96, 0x1D, \r\n"
                      "/* frame 1 of 4, 200 ms */\r\n0x02, 0x4C, 0x96, 0x4C, \r\n"
                      "/* frame 2 of 4, 300 ms */\r\n0x02, 0x4C, 0xFF, 0x96, \r\n"
                      "/* frame 3 of 4, 400 ms */\r\n0x02, 0x4C, 0x1D, 0xFF, \r\n};\r\n"
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
    QByteArray bigDot(32, '\0'); // the dot doubled: rows 4 and 5, columns 2 and 3
    bigDot[8] = bigDot[10] = '\x30';
    QTest::newRow("--tile 8x8 --resize 16x16: each tile enlarged")
        << encodeBmp(quarters, 24) << "-f hex --tile 8x8 --resize 16x16 --filter nearest"
        << QByteArray(32, '\xFF') + QByteArray(64, '\0') + bigDot;
    QTest::newRow("--tile 8x8, a51: a line a tile")
        << encodeBmp(quarters.copy(0, 0, 16, 8), 24) << "-f a51 --tile 8x8"
        << QByteArray("; tile 0, 0\r\n") + QByteArray("DB   0FFH\r\n").repeated(8) + "; tile 1, 0\r\n" +
               QByteArray("DB   000H\r\n").repeated(8);
}

void tst_CliFrames::framesAndTiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, options);
    QFETCH(QByteArray, data);
    const Run r = run(options.split(u' ') + QStringList{picture(QStringLiteral("frames.pic"), file)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QByteArray out = r.out;
    if (options.contains(QStringLiteral("a51")) || options.contains(QStringLiteral("c51")))
        out = afterHeader(out);
    if (QByteArray(QTest::currentDataTag()).contains("warned")) // packed, more than the bytes
        QVERIFY2(r.err.contains(QStringLiteral("made the data larger")), qPrintable(r.err));
    else if (!r.err.isEmpty()) // the offsets are said in a table, not here
        QFAIL(qPrintable(r.err));
    QCOMPARE(out, data);
}

void tst_CliFrames::glyphTables_data()
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
    QTest::newRow("--strings: a UTF-8 byte-order mark no character") << "--strings bom.txt -f hex" << a + zeros16 + ni;
    QTest::newRow("--text-encoding gbk") << "--text-file gbk.txt --text-encoding gbk -f hex" << a + zeros16 + ni;
    QTest::newRow("--text-encoding gb18030: its byte-order mark no character")
        << "--strings gb18030.txt --text-encoding gb18030 -f hex" << a + zeros16 + ni;
    QTest::newRow("--text-encoding utf-16: its byte-order mark no character")
        << "--strings utf16.txt --text-encoding utf-16 -f hex" << a + zeros16 + ni;
    QTest::newRow("vertical, lsb: pages of 8 rows") << "--text A你 -f hex --layout vertical"
                                                    << zeros16.left(8) + QByteArray("\0\x38\x28\x28\x38\0\0\0", 8) +
                                                           zeros16 + "\x03" + QByteArray(14, '\x02') + "\x03" + zeros16;
    QTest::newRow("--cell 16x4: four rows")
        << "--text 你 --cell 16x4 -f hex" << QByteArray("\x80\x01\xFF\xFF", 4) + QByteArray(4, '\0');
    QTest::newRow("--missing blank") << "--text 'B' --missing blank -f hex --invert" << QByteArray(16, '\xFF');
    QTest::newRow("a lit display: the glyph's pixels the 1 bits still")
        << "--text A -f hex --display ssd1306 --layout horizontal --bit-order msb" << a;
    QTest::newRow("a lit grey display: the glyph bright, its cell dark (cut, warned)")
        << "--text A -f hex --display ssd1322 --cell 8x12" << QByteArray(44, '\0') + QByteArray("\x0F\xFF\xF0\0", 4);
    QTest::newRow("a51: the header says the glyphs, their cells and the line")
        << "--text A你 -f a51"
        << QString::fromUtf8("###;----  字形数：2     字格宽度不一，最大：16 × 16     行高：16  ----").toUtf8();
    QTest::newRow("c51 --crop: the header says the glyphs are cropped, and the largest box")
        << "--text A你 --crop -f c51"
        << QString::fromUtf8("###/*----  字形数：2     按墨迹裁剪，最大：16 × 3     行高：16  ----*/").toUtf8();
    QTest::newRow("c51, named: a row a glyph, its line, the codes (cut, warned)")
        << "--text 你 -f c51 --name t --cell 16x1"
        << QString::fromUtf8("unsigned char code t[1][2] = {\r\n/* 0: 你 U+4F60 GB2312 C4E3 */\r\n{\r\n0x80, 0x01, "
                             "\r\n},\r\n};\r\nunsigned int code t_codes[1] = {\r\n0xC4E3, \r\n};\r\n"
                             "unsigned char code t_widths[1] = {\r\n0x10, \r\n};\r\n")
               .toUtf8();
    QTest::newRow("a51, unicode codes, proportional widths (cut, warned)")
        << "--text A你 -f a51 --name t --cell 8x1 --proportional --index unicode"
        << QByteArray("t:\r\n; 0: A U+0041\r\nDB   000H\r\nDB   000H\r\n; 1: ") + QString::fromUtf8("你").toUtf8() +
               " U+4F60 GB2312 C4E3\r\nDB   080H, 001H\r\n"
               "t_codes:\r\nDW   00041H, 04F60H\r\nt_widths:\r\nDB   005H, 010H\r\n"; // advances, not cells
    QTest::newRow("vertical, proportional: the advance, not whole bytes")
        << "--text A -f a51 --name t --proportional --layout vertical"
        << QByteArray(
               "t:\r\n; 0: A U+0041\r\nDB   000H, 000H, 000H, 000H, 000H\r\nDB   000H, 038H, 028H, 028H, 038H\r\n"
               "t_codes:\r\nDW   00041H\r\nt_widths:\r\nDB   005H\r\n");
    QTest::newRow("--range: code points, before --text's") << "--range U+0041 --text 你A -f hex" << a + zeros16 + ni;
    QTest::newRow("--strings, c51: an array of indices a line, the end mark (cut, warned)")
        << "--strings strings.txt -f c51 --name t --cell 16x1"
        << QString::fromUtf8("unsigned char code t[2][2] = {\r\n/* 0: A U+0041 */\r\n{\r\n0x00, 0x00, \r\n},\r\n"
                             "/* 1: 你 U+4F60 GB2312 C4E3 */\r\n{\r\n0x80, 0x01, \r\n},\r\n};\r\n"
                             "unsigned int code t_codes[2] = {\r\n0x0041, 0xC4E3, \r\n};\r\n"
                             "unsigned char code t_widths[2] = {\r\n0x05, 0x10, \r\n};\r\n"
                             "/* A你 */\r\nunsigned char code t_s0[3] = {\r\n0x00, 0x01, 0xFF, \r\n};\r\n"
                             "/* 你 */\r\nunsigned char code t_s1[2] = {\r\n0x01, 0xFF, \r\n};\r\n")
               .toUtf8();
    QTest::newRow("--strings, unicode: a NUL is a character, a lone CR ends a line (cut, warned)")
        << "--strings odd.txt --index unicode --missing blank -f c51 --name t --cell 8x1"
        << QByteArray("unsigned char code t[2][1] = {\r\n/* 0: A U+0041 */\r\n{\r\n0x00, \r\n},\r\n"
                      "/* 1: ? U+0000 */\r\n{\r\n0x00, \r\n},\r\n};\r\n"
                      "unsigned int code t_codes[2] = {\r\n0x0041, 0x0000, \r\n};\r\n"
                      "unsigned char code t_widths[2] = {\r\n0x05, 0x08, \r\n};\r\n"
                      "/* A?A */\r\nunsigned char code t_s0[4] = {\r\n0x00, 0x01, 0x00, 0xFF, \r\n};\r\n"
                      "/* A */\r\nunsigned char code t_s1[2] = {\r\n0x00, 0xFF, \r\n};\r\n");
    QTest::newRow("--proportional: a blank glyph's cell a whole byte wide")
        << "--text AB --missing blank --proportional -f hex" << a + zeros16;
    // A table of 255 glyphs or more ends its strings with 0xFFFF, of fewer with 0xFF ("..." the output's end).
    QTest::newRow("--strings, 255 glyphs: the end mark 0xFFFF (cut, warned)")
        << "--range U+0100-U+01FD --strings one.txt --missing blank --index unicode -f c51 --name t --cell 8x1"
        << QByteArray(".../* A */\r\nunsigned int code t_s0[2] = {\r\n0x00FE, 0xFFFF, \r\n};\r\n");
    QTest::newRow("--range high in the code space, the private use area's first two")
        << "--range U+E000-U+E001 --missing blank --index unicode --cell 8x1 -f hex" << QByteArray(2, '\0');
    QTest::newRow("--range to the code space's top, U+FFFF a 16-bit code")
        << "--range U+FFFE-U+FFFF --missing blank --index unicode --cell 8x1 -f hex" << QByteArray(2, '\0');
    QTest::newRow("--strings: a line's comment cut at 1000 characters")
        << "--strings long.txt -f c51 --name t"
        << QByteArray("~~~/* " + QByteArray(1000, 'A') + " ... (1001 characters) */");
    QTest::newRow("--strings, 254 glyphs: the end mark 0xFF (cut, warned)")
        << "--range U+0100-U+01FC --strings one.txt --missing blank --index unicode -f c51 --name t --cell 8x1"
        << QByteArray(".../* A */\r\nunsigned char code t_s0[2] = {\r\n0xFD, 0xFF, \r\n};\r\n");
    // 513 glyphs of face 1 of a collection, the second half drawn by a second thread: A, the last, is face 1's.
    QTest::newRow("a collection's face 1, drawn by two threads")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --font-index 1 --range U+4E00-U+4FFF --text A "
           "--index unicode -f hex"
        << QByteArray("...") +
               QByteArray::fromHex("0000181828282424"
                                   "447c4642c2000000") +
               QByteArray(16, '\0');
    QTest::newRow("--crop, a51: the ink boxes one after the other, where each starts, the boxes")
        << "--text A你 -f a51 --name t --crop"
        << QString::fromUtf8("t:\r\n; 0: A U+0041\r\nDB   0F0H\r\nDB   090H\r\nDB   0F0H\r\n"
                             "; 1: 你 U+4F60 GB2312 C4E3\r\nDB   080H, 001H\r\nDB   0FFH, 0FFH\r\n"
                             "t_offsets:\r\nDW   00000H, 00003H, 00007H\r\nt_codes:\r\nDW   00041H, 0C4E3H\r\n"
                             "t_widths:\r\nDB   005H, 010H\r\n"
                             "t_boxes:\r\nDB   001H, 00BH, 004H, 003H, 005H, 000H, 000H, 010H, 002H, 010H\r\n")
               .toUtf8();
    QTest::newRow("--crop --omit codes,widths: the boxes hold the advance")
        << "--text A你 -f a51 --name t --crop --omit codes,widths"
        << QString::fromUtf8("t:\r\n; 0: A U+0041\r\nDB   0F0H\r\nDB   090H\r\nDB   0F0H\r\n"
                             "; 1: 你 U+4F60 GB2312 C4E3\r\nDB   080H, 001H\r\nDB   0FFH, 0FFH\r\n"
                             "t_offsets:\r\nDW   00000H, 00003H, 00007H\r\n"
                             "t_boxes:\r\nDB   001H, 00BH, 004H, 003H, 005H, 000H, 000H, 010H, 002H, 010H\r\n")
               .toUtf8();
    // --render: the text as one picture, each glyph where its pen puts it (A's ink from 1 past the pen, 5 on).
    QByteArray rendered(32, '\0');
    rendered.replace(22, 6, QByteArray("\x7B\xC0\x4A\x40\x7B\xC0", 6));
    QTest::newRow("--render AA: the line as a picture, 10 x 16, padded to whole bytes by itself")
        << "--render AA -f hex" << rendered;
    QByteArray noCodes(48, '\0');
    noCodes.replace(33, 7, QByteArray("\x78\0\0\x48\0\0\x78", 7));
    QTest::newRow("--render A😀: a picture needs no code for its characters")
        << "--render A😀 --missing blank -f hex" << noCodes;
    QTest::newRow("--render 你 in a narrower cell: whole where its box puts it, no cell to cut it")
        << "--render 你 --cell 8x16 -f hex" << QByteArray("\x80\x01\xFF\xFF", 4) + QByteArray(28, '\0');
    QTest::newRow("--render, --at, --canvas: a line placed on a canvas")
        << "--render A --at -1,-11 --canvas 8x2 -f hex" << QByteArray("\xF0\x90", 2);
    QTest::newRow("--render, --at as far as it goes: off the canvas")
        << "--render A --at -65535,65535 --canvas 8x1 -f hex" << QByteArray(1, '\0');
    // 4194305 glyphs of 1024 pixels, the line's pen past 2^32: the last is as far off the canvas as the first.
    QTest::newRow("--render, a line past 2^32 pixels: its far glyphs off the canvas")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --size 1024 --index unicode --strings far.txt "
           "--render --at 1024,-512 --canvas 1024x1 -f hex"
        << QByteArray(128, '\0');
    // Cropped, a box is the ink's alone, x from the pen (signed), y from the cell's top.
    QTest::newRow("--crop: a box of ink alone, left of the pen")
        << "--font bearing.bdf --text A -f c51 --name t --crop"
        << QByteArray("...unsigned char code t_boxes[5] = {\r\n0xFF, 0x0B, 0x04, 0x02, 0x05, \r\n};\r\n");
    QTest::newRow("--crop: a box of one row")
        << "--font dash.bdf --text A -f c51 --name t --crop"
        << QByteArray("...unsigned char code t_boxes[5] = {\r\n0x01, 0x08, 0x04, 0x01, 0x05, \r\n};\r\n");
    QTest::newRow("--crop, an outline's j: its box left of the pen")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --text j -f c51 --name t --crop --index unicode"
        << QByteArray("...unsigned char code t_boxes[5] = {\r\n0xFF, 0x01, 0x03, 0x0E, 0x04, \r\n};\r\n");
    // An underscore at 260 pixels starts 133 rows down: past a signed byte, so every box is in 16 bits.
    QTest::newRow("--crop: a box past a byte, in 16 bits")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --text _ --size 260 -f c51 --name t --crop "
           "--index unicode"
        << QByteArray("...unsigned int code t_boxes[5] = {\r\n0x0000, 0x0085, 0x0082, 0x000D, 0x0082, \r\n};\r\n");
    // The header's line: 16 rows, the baseline 14 down (tiny.bdf's ascent); cropped, the cell's sizes all the same.
    QTest::newRow("--crop --header, vertical: the cell and the line")
        << "--text A你 -f c51 --name t --crop --layout vertical --header t.h"
        << QByteArray("...#define T_WIDTH 16\n#define T_HEIGHT 16\n#define T_PAGES 2\n#define T_LINE_HEIGHT 16\n"
                      "#define T_BASELINE 14\n#define T_FONT_PIXELS 16\n#define T_BITS_PER_PIXEL 1\n#define "
                      "T_FORMAT_VERSION 1\n#define T_COUNT 2\n"
                      "#define T_BYTES 32\n"
                      "#define T_SIZE 20\n#define T_BACKGROUND 0x0\n");
    QTest::newRow("--crop --header, vertical: a cell of 9 rows takes two pages")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --index unicode --text A --cell 8x9 -f c51 --name t "
           "--crop --layout vertical --header t.h"
        << QByteArray("...#define T_BYTES 16\n#define T_SIZE 5\n#define T_BACKGROUND 0x0\n");
    // #204010 to RGB565's levels: red 4 of 31, green 16 of 63, blue 2 of 31.
    QTest::newRow("--header: the background as the data holds it")
        << "--text A -f c51 --name t --pixel rgb565 --background #204010 --header t.h"
        << QByteArray("...#define T_BACKGROUND 0x2202\n");
    const QByteArray greyA =
        QByteArray::fromHex("ffffffffffffefe7e7e7e7f34b000000007f4b000000007f4b000000007f4b000000007f4b000000007f4b00"
                            "0000007f4b000000007f4b000000007f4b000000007fffffffffffffffffffffffff");
    QTest::newRow("grey: an outline's edges anti-aliased, its coverage the level")
        << "--font boxes.ttf --text A --size 13 --pixel gray8 -f hex" << greyA;
    QTest::newRow("a collection's face, its directory the file's last bytes")
        << "--font last.ttc --text A --size 13 --pixel gray8 -f hex" << greyA;
    QByteArray grid(8178 * 32, '\0');
    grid.replace(((0xC4 - 0xA1) * 94 + (0xE3 - 0xA1)) * 32, 32, ni);
    QTest::newRow("--grid: every GB2312 code, 你 at C4E3's cell")
        << "--charset gb2312 --grid --missing blank -f hex" << grid;
    QTest::newRow("FREETYPE_PROPERTIES taken: the older TrueType hinting draws 你 otherwise")
        << "FREETYPE_PROPERTIES=truetype:interpreter-version=35 --font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "
           "--text 你 --size 10 --pad --pixel gray2 -f hex"
        << QByteArray::fromHex("fffffffdebfffddaaff6af6fd67afffada7ffaaa6ffa7aeffae7ffffffff");
    QTest::newRow("--header: a face's strike, its line and its size")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --font-index 2 --text 你 --size 12 --pad -f c51 "
           "--name t --header t.h"
        << QByteArray("...#define T_WIDTH 12\n#define T_HEIGHT 12\n#define T_LINE_HEIGHT 12\n#define T_BASELINE 10\n"
                      "#define T_FONT_PIXELS 12\n#define T_BITS_PER_PIXEL 1\n#define T_FORMAT_VERSION 1\n#define "
                      "T_COUNT 1\n#define T_BYTES 24\n"
                      "#define T_BACKGROUND 0x0\n");
    QTest::newRow("--crop --header, vertical: a one-row cell's page")
        << "--text A --crop --layout vertical --cell 8x1 -f c51 --name t --header t.h"
        << QByteArray("~~~#define T_PAGES 1\n");
    QTest::newRow("--grid --header: where a code's cell starts (cut, warned)")
        << "--charset gb2312 --grid --missing blank --cell 8x4 -f c51 --name t --header t.h"
        << QByteArray("...#define T_BACKGROUND 0x0\n"
                      "#define T_CELL(c1, c2) ((((unsigned long)(c1) - 0xA1) * 94 + ((c2) - 0xA1)) * T_BYTES)\n");
    QTest::newRow("--grid, a51: a code of no character named as such (cut, warned)")
        << "--charset gb2312 --grid --missing blank --cell 8x4 -f a51 --name t"
        << QByteArray("~~~\r\n; 94: GB2312 A2A1, empty\r\n");
    // No size fits A and _ into one row: the baseline cuts one glyph of the two, A, and keeps _ whole.
    QTest::newRow("an outline in a cell no size fits: the fewest glyphs cut (cut, warned)")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --index unicode --text A_ --cell 16x1 -f hex"
        << QByteArray("\x00\x00\x80\x00", 4);
    // Fewer rows of | and ) are cut where _ is cut too: the baseline that keeps _ whole cuts two glyphs, not three.
    QTest::newRow("an outline in a cell no size fits: the fewest glyphs before the fewest rows (cut, warned)")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --index unicode --text |)_ --cell 8x1 -f hex"
        << QByteArray("\x00\x00\x80", 3);
    // | passes a one-row cell at any size: the baseline a row down keeps a row of it, at row 0 none.
    QTest::newRow("an outline in a cell no size fits: the fewest rows cut (cut, warned)")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --index unicode --text | --cell 16x1 -f hex"
        << QByteArray("\x80\x00", 2);
    // The first glyph is the widest: at 9 pixels 你 would pass its 8-pixel cell, so the set is drawn at 8.
    QTest::newRow("an outline, its first glyph the widest: the size its cell's width allows")
        << "--font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --index unicode --text 你a --cell 8x12 -f hex"
        << QByteArray::fromHex("0000280f54c654454c000000000000001030907000000000");
    QTest::newRow("--crop, pbm: the ink's box as a picture")
        << "--text A --crop -f pbm" << QByteArray("P4\n8 3\n\xF0\x90\xF0");
    // Cells of two widths side by side, the narrow one padded with nothing but its own white.
    QTest::newRow("pbm: a sheet of proportional cells")
        << "--text A你 --proportional -f pbm"
        << QByteArray("P4\n24 16\n\x00\x80\x01\x00\xFF\xFF", 15) + QByteArray(27, '\0') +
               QByteArray("\x78\0\0\x48\0\0\x78\0\0", 9) + QByteArray(6, '\0');
    QTest::newRow("pbm: a sheet, 16 cells a row (cut, warned)")
        << "--charset ascii --missing blank --cell 8x2 -f pbm"
        << QByteArray("P4\n128 12\n") + QByteArray(16 * 12, '\0');
}

void tst_CliFrames::glyphTables()
{
    QFETCH(QString, options);
    QFETCH(QByteArray, data);
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    picture(QStringLiteral("text.txt"), QByteArray("A\r\n\xE4\xBD\xA0\nA\n"));
    picture(QStringLiteral("strings.txt"), QByteArray("A\xE4\xBD\xA0\r\n\xE4\xBD\xA0\n"));
    picture(QStringLiteral("odd.txt"), QByteArray("A\0A\rA\n", 6));
    picture(QStringLiteral("one.txt"), QByteArray("A\n"));
    picture(QStringLiteral("long.txt"), QByteArray(1001, 'A'));
    // A glyph whose bitmap has an empty row and column at each edge, starting 2 pixels left of its pen.
    picture(QStringLiteral("bearing.bdf"), QByteArray(tinyBdf()).replace("BBX 4 3 1 0\nBITMAP\nF0\n90\nF0\n",
                                                                         "BBX 6 4 -2 0\nBITMAP\n00\n78\n48\n00\n"));
    picture(QStringLiteral("dash.bdf"),
            QByteArray(tinyBdf()).replace("BBX 4 3 1 0\nBITMAP\nF0\n90\nF0\n", "BBX 4 1 1 5\nBITMAP\nF0\n"));
    picture(QStringLiteral("gbk.txt"), QByteArray("A\xC4\xE3\r\n")); // A你 in GBK
    picture(QStringLiteral("bom.txt"), QByteArray("\xEF\xBB\xBF"
                                                  "A\xE4\xBD\xA0"));
    picture(QStringLiteral("gb18030.txt"), QByteArray("\x84\x31\x95\x33"
                                                      "A\xC4\xE3")); // U+FEFF, then A你
    picture(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE"
                                                    "A\0"
                                                    "\x60\x4F",
                                                    6)); // A你, little-endian
    QStringList arguments; // a word NAME=VALUE, the environment's, first; then the tiny bitmap font, unless named
    QStringList words = options.split(u' ');
    if (words.first().contains(u'='))
        arguments << words.takeFirst();
    if (options.contains(QStringLiteral("/usr/share/fonts/")) && !QFileInfo::exists(words.at(1)))
        QSKIP("fonts-wqy-zenhei is missing (scripts/install-deps installs it)");
    if (options.contains(QStringLiteral("far.txt")))
        picture(QStringLiteral("far.txt"), QByteArray("\xE4\xBD\xA0").repeated((1 << 22) + 1));
    const QByteArray boxes = readFile(QStringLiteral(TESSALINE_FUZZ_CORPUS "/font-boxes.ttf"));
    picture(QStringLiteral("boxes.ttf"), boxes);
    // The same face as a collection's one, its directory the file's last bytes, after its tables.
    QByteArray directory = boxes.left(12 + 16 * qFromBigEndian<quint16>(boxes.constData() + 4));
    for (qsizetype entry = 12; entry < directory.size(); entry += 16)
        qToBigEndian(qFromBigEndian<quint32>(directory.constData() + entry + 8) + 16, directory.data() + entry + 8);
    QByteArray collection("ttcf\0\1\0\0\0\0\0\1", 12);
    collection.resize(16);
    qToBigEndian(quint32(16 + boxes.size()), collection.data() + 12);
    picture(QStringLiteral("last.ttc"), collection + boxes + directory);
    if (words.first() != u"--font")
        arguments << QStringLiteral("--font") << QStringLiteral("tiny.bdf");
    for (QString word : words)
        arguments << word.remove(u'\'');
    const Run r = run(arguments);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    // A glyph cut at its cell's edges is named, with what would fit it.
    if (QByteArray(QTest::currentDataTag()).contains("warned"))
        QVERIFY2(r.err.contains(QStringLiteral("cut at the edges: ")) && r.err.contains(u" --cell fits them"),
                 qPrintable(r.err));
    else
        QCOMPARE(r.err, QString());
    QByteArray out = r.out;
    if (data.startsWith("###")) // the header's second line: what the table is
        out = "###" + out.split('\r').value(1).trimmed(), data = data.trimmed();
    else if (options.contains(QStringLiteral("a51")) || options.contains(QStringLiteral("c51"))) {
        QVERIFY(out.contains(QStringLiteral("字体文件来自：【").toUtf8())); // the font, not a picture
        out = afterHeader(out);
        if (out.startsWith("NAME ")) // an A51 module: its data from the first label, before its END
            out = out.mid(out.indexOf("\r\n", out.indexOf("RSEG")) + 2).chopped(5);
    }
    if (options.contains(QStringLiteral("--header"))) // and the header's sizes
        for (const QByteArray &line : readFile(dir.filePath(QStringLiteral("t.h"))).split('\n'))
            if (line.startsWith("#define T_") && !line.contains("TESSALINE_"))
                out += line.trimmed() + '\n';
    if (data.startsWith("...")) // the output's end alone
        out = out.right(data.size() - 3), data = data.mid(3);
    if (data.startsWith("~~~")) // a part of it, anywhere
        out = out.contains(data.mid(3)) ? data.mid(3) : out.left(200), data = data.mid(3);
    QCOMPARE(out.toHex(' '), data.toHex(' '));
}

void tst_CliFrames::glyphRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("a character without a glyph")
        << QStringList{"--font", "tiny.bdf", "--text", "AB"}
        << QStringLiteral("tiny.bdf: the font tiny.bdf has no glyph for B U+0042 (use --missing blank");
    QTest::newRow("a character without a GB2312 code")
        << QStringList{"--font", "tiny.bdf", "--text", "€", "--missing", "blank"}
        << QStringLiteral("tiny.bdf: € U+20AC has no GB2312 code (use --index unicode)");
    QTest::newRow("a character past 16 bits, indexed by Unicode")
        << QStringList{"--font",    "tiny.bdf", "--text",  QString::fromUtf8("A😀"),
                       "--missing", "blank",    "--index", "unicode"}
        << QString::fromUtf8("tiny.bdf: 😀 U+1F600 does not fit the 16-bit table of codes");
    QTest::newRow("a family fontconfig does not know")
        << QStringList{"--font", "No Such Family", "--text", "A"}
        << QStringLiteral("No Such Family: no such font file, and no font of that family (the nearest fontconfig "
                          "offers is '");
    // Fontconfig's properties after the family: the family is found, and it lacks the character.
    QTest::newRow("a family with properties")
        << QStringList{"--font", "WenQuanYi Zen Hei:style=Regular", "--text", QString::fromUtf8("😀"), "--index",
                       "unicode"}
        << QString::fromUtf8("WenQuanYi Zen Hei:style=Regular: the font WenQuanYi Zen Hei has no glyph for 😀");
    QTest::newRow("a bitmap font at another size")
        << QStringList{"--font", "tiny.bdf", "--text", "A", "--size", "12"}
        << QStringLiteral("tiny.bdf: the bitmap font tiny.bdf has glyphs of 16 pixels, not 12");
    QTest::newRow("a text file past the memory limit")
        << QStringList{"--font", "tiny.bdf", "--text-file", "long.txt", "--max-memory", "1K"}
        << QStringLiteral("tiny.bdf: the text file long.txt is longer than the memory limit of 1024 bytes");
    QTest::newRow("a strings file that fits the limit, but not as text")
        << QStringList{"--font", "tiny.bdf", "--strings", "long.txt", "--max-memory", "3K"}
        << QStringLiteral("tiny.bdf: holding the strings file long.txt whole takes");
    QTest::newRow("a text file not in UTF-8, named itself")
        << QStringList{"--font", "tiny.bdf", "--text-file", "gbk.txt"}
        << QStringLiteral("gbk.txt: line 1 is not UTF-8 (--text-encoding names the file's encoding: utf-8, gbk");
    QTest::newRow("a strings file not in UTF-8 at its fourth line")
        << QStringList{"--font", "tiny.bdf", "--strings", "bad4.txt"}
        << QStringLiteral("bad4.txt: line 4 is not UTF-8");
    QTest::newRow("a GBK file cut inside a character")
        << QStringList{"--font", "tiny.bdf", "--strings", "cut.txt", "--text-encoding", "gbk"}
        << QStringLiteral("cut.txt: line 2 is not GBK");
    QTest::newRow("a font name fontconfig cannot read")
        << QStringList{"--font", "X:charset=zz", "--text", "A"}
        << QStringLiteral("X:charset=zz: no such font file, and not a font name fontconfig reads");
    QTest::newRow("a cell past --max-memory")
        << QStringList{"--font", "tiny.bdf", "--text", "A", "--cell", "512x512", "--max-memory", "200K"}
        << QStringLiteral("tiny.bdf: holding the cell of A U+0041 whole takes 262144 bytes");
    QTest::newRow("face 1 of a single font") << QStringList{"--font", "tiny.bdf", "--font-index", "1", "--text", "A"}
                                             << QStringLiteral("tiny.bdf: the font has one face, face 0; there is no "
                                                               "face 1");
    QTest::newRow("a font's last table in its directory past its end")
        << QStringList{"--font", "pastend.ttf", "--text", "A"}
        << QStringLiteral("pastend.ttf: the font is damaged: its table 'post' lies past the end of the file");
    QTest::newRow("a font's first table past its end")
        << QStringList{"--font", "pastfirst.ttf", "--text", "A"}
        << QStringLiteral("pastfirst.ttf: the font is damaged: its table 'OS/2' lies past the end of the file");
    QTest::newRow("not a font") << QStringList{"--font", "t.bmp", "--text", "A"}
                                << QStringLiteral("t.bmp: not a font FreeType reads");
    QTest::newRow("a font past --max-memory") << QStringList{"--font", "big.bdf", "--text", "A", "--max-memory", "200K"}
                                              << QStringLiteral("big.bdf: holding the font whole takes 640");
    QTest::newRow("--font-index with a family")
        << QStringList{"--font", "No Such", "--font-index", "1", "--text", "A"}
        << QStringLiteral("No Such: is a family, whose face fontconfig chooses");
    QTest::newRow("--font a folder") << QStringList{"--font", ".", "--text", "A"}
                                     << QStringLiteral(".: is a directory, not a font file");
    QTest::newRow("--font gzipped, its header damaged")
        << QStringList{"--font", "bad.pcf.gz", "--text", "A"}
        << QStringLiteral("bad.pcf.gz: the compressed font cannot be read");
    QTest::newRow("--font a pipe") << QStringList{"--font", "/dev/stdin", "--text", "A"}
                                   << QStringLiteral("/dev/stdin: is not a regular file, which a font must be");
    QTest::newRow("--strings of noise: not UTF-8 at once, not the memory limit")
        << QStringList{"--font", "tiny.bdf", "--strings", "/dev/urandom"} << QStringLiteral("/dev/urandom: line ");
    QTest::newRow("--grid: a string's character without a cell")
        << QStringList{"--font",    "tiny.bdf", "--charset", "gb2312",  "--grid",
                       "--missing", "blank",    "--strings", "euro.txt"}
        << QStringLiteral("tiny.bdf: € U+20AC has no GB2312 code, so the grid has no cell for it");
    QTest::newRow("--render, a line wider than a side may be")
        << QStringList{"--font", "tiny.bdf", "--strings", "wide.txt", "--render"}
        << QStringLiteral("tiny.bdf: the picture of the text is 1048592 x 16 pixels; no side may pass 1048576");
    // 50000 lines of one character: 100 kB of text, held as 50000 strings and their tables.
    QTest::newRow("--strings: what each short line costs, past --max-memory 8M")
        << QStringList{"--font", "tiny.bdf", "--strings", "lines.txt", "--max-memory", "8M"}
        << QStringLiteral("tiny.bdf: holding the strings");
}

void tst_CliFrames::glyphRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    picture(QStringLiteral("tiny.bdf"), tinyBdf());
    picture(QStringLiteral("long.txt"), QByteArray(2000, 'A'));
    picture(QStringLiteral("big.bdf"),
            QByteArray(tinyBdf()).replace("STARTPROP", QByteArray("COMMENT\n").repeated(80000) + "STARTPROP"));
    picture(QStringLiteral("gbk.txt"), QByteArray("\xC4\xE3")); // 你 in GBK
    picture(QStringLiteral("bad.pcf.gz"), QByteArray("\x1F\x8B\0\0\0\0\0\0\0\x03"
                                                     "abcdefgh",
                                                     18)); // method 0
    picture(QStringLiteral("bad4.txt"), QByteArray("A\r\nA\nA\rA\xFF\n"));
    picture(QStringLiteral("cut.txt"), QByteArray("\xC4\xE3\n\xC4"));
    picture(QStringLiteral("euro.txt"), QByteArray("\xE2\x82\xAC"));
    picture(QStringLiteral("lines.txt"), QByteArray("A\n").repeated(50000));
    picture(QStringLiteral("wide.txt"), QByteArray("\xE4\xBD\xA0").repeated(65537)); // 16 pixels each
    // The last of its 10 tables, and the first, at an offset past its end.
    const QByteArray boxes = readFile(QStringLiteral(TESSALINE_FUZZ_CORPUS "/font-boxes.ttf"));
    for (const auto &[name, table] : {std::pair("pastend.ttf", "post"), std::pair("pastfirst.ttf", "OS/2")})
        picture(QString::fromLatin1(name),
                QByteArray(boxes).replace(boxes.indexOf(table) + 8, 4, QByteArray(4, '\x7F')));
    const Run r = run(arguments);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("tessaline-cli: ") + message), qPrintable(r.err));
    QCOMPARE(r.err.count(u'\n'), 1);
}

void tst_CliFrames::realFontsDrawEveryGb2312Character_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<bool>("insideCells");
    QTest::addColumn<int>("inkRows");  // the median glyph's
    QTest::addColumn<int>("cellRows"); // a line of the font: a bitmap font's ascent and descent, 14 and 4
    QTest::newRow("WenQuanYi bitmap, 16 pixels") << "/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf" << true << 16 << 18;
    // The same gzipped: inflated a piece at a time, each read where the last ended.
    QTest::newRow("WenQuanYi bitmap, gzipped") << "wqy.pcf.gz" << true << 16 << 18;
    // An outline's hinted ideographs would span 17 rows at 16 pixels, and Й and ｜ reach far beyond them: drawn
    // at 13 pixels, the largest at which the set fits, none passes its cell.
    QTest::newRow("WenQuanYi Zen Hei, outline") << "WenQuanYi Zen Hei" << true << 12 << 16;
    // A face's own 16-pixel strike, drawn as it is.
    QTest::newRow("WenQuanYi Zen Hei Sharp, its 16-pixel strike") << "WenQuanYi Zen Hei Sharp" << true << 16 << 16;
}

// Every GB2312 character but the ideographic space (A1A1) leaves ink in its cell of the sheet, at the size the
// font is drawn.
void tst_CliFrames::realFontsDrawEveryGb2312Character()
{
    QFETCH(QString, font);
    QFETCH(bool, insideCells);
    QFETCH(int, inkRows);
    QFETCH(int, cellRows);
    if (!QFileInfo::exists(QStringLiteral("/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf")))
        QSKIP("xfonts-wqy and fonts-wqy-zenhei are missing (scripts/install-deps installs them)");
    if (font.endsWith(u".gz")) {
        QProcess gzip;
        gzip.setStandardOutputFile(dir.filePath(font));
        gzip.start(QStringLiteral("gzip"),
                   {QStringLiteral("-c"), QStringLiteral("/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf")});
        QVERIFY(gzip.waitForFinished() && gzip.exitCode() == 0);
    }
    const Run r = run({QStringLiteral("--font"), font, QStringLiteral("--charset"), QStringLiteral("gb2312"),
                       QStringLiteral("-f"), QStringLiteral("pbm")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err.isEmpty(), insideCells);
    const QImage sheet = QImage::fromData(r.out, "PBM").convertToFormat(QImage::Format_Mono);
    QCOMPARE(sheet.size(), QSize(16 * 16, (7445 + 15) / 16 * cellRows));
    std::vector<int> rows;
    for (int i = 1; i < 7445; ++i) {
        const QImage cell = sheet.copy(i % 16 * 16, i / 16 * cellRows, 16, cellRows);
        int first = cellRows, last = -1;
        for (int y = 0; y < cellRows; ++y)
            for (int x = 0; x < 16; ++x)
                if (qGray(cell.pixel(x, y)) < 128) {
                    first = std::min(first, y);
                    last = y;
                }
        QVERIFY2(last >= 0, qPrintable(QStringLiteral("character %1 of GB2312 is blank").arg(i)));
        rows.push_back(last - first + 1);
    }
    std::nth_element(rows.begin(), rows.begin() + std::ptrdiff_t(rows.size() / 2), rows.end());
    QCOMPARE(rows[rows.size() / 2], inkRows);
}

QTEST_GUILESS_MAIN(tst_CliFrames)
#include "tst_cli_frames.moc"
