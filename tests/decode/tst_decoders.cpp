#include "decode/bytesource.h"
#include "decode/animation.h"
#include "decode/decoder.h"
#include "decode/tiles.h"
#include "picture/picture.h"
#include "picture/picturesurface.h"
#include "support/limits.h"
#include "support/refusals.h"
#include "support/testpictures.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace TestPictures;

class tst_Decoders : public QObject {
    Q_OBJECT

private slots:
    void decodesEveryBmpVariant_data();
    void decodesEveryBmpVariant();
    void decodesGifFirstFrame();
    void transparentPixelsReadAsWhite();
    void decodesJpeg();
    void formatComesFromContentNotName();
    void refusesWhatIsNotAPicture_data();
    void refusesWhatIsNotAPicture();
    void refusesHugePictureBeforeDecoding();
    void refusesEveryCutShortFile_data();
    void refusesEveryCutShortFile();
    void refusesWhatIsNotARegularFile();
    void rleJumpsSkipToColourZero();
    void bitFieldsWidenByTheExactRatio_data();
    void bitFieldsWidenByTheExactRatio();
    void paletteEndsWhereThePixelsBegin();
    void gifFramesReadWhereverTheyLie_data();
    void gifFramesReadWhereverTheyLie();
    void decodersMatchQt_data();
    void decodersMatchQt();
    void jpegAcceptance_data();
    void jpegAcceptance();
    void byteReaderSeeks();
    void framesOutOfOrderAreRefused_data();
    void framesOutOfOrderAreRefused();

private:
    QString file(const QString &name, const QByteArray &data) { return writeIn(dir.path(), name, data); }
    QTemporaryDir dir;
};

// A few colours in a pattern that shows any mirrored, shifted or swapped row or column.
static QImage pattern(int colours, int height = 5)
{
    const QRgb palette[] = {qRgb(0, 0, 0),     qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0),
                            qRgb(0, 0, 255),   qRgb(1, 0, 0),       qRgb(0, 0, 1),   qRgb(128, 128, 128),
                            qRgb(244, 12, 99), qRgb(3, 200, 77)};
    QImage image(24, height, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, palette[(x * 7 + y * 3 + (x == 0 && y == 0)) % colours]);
    return image;
}

static void compareColours(const PictureSurface &surface, const QImage &expected)
{
    QCOMPARE(surface.ScaleWidth(), double(expected.width()));
    QCOMPARE(surface.ScaleHeight(), double(expected.height()));
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            QVERIFY2(surface.Point(x, y) == colourFromRgb(expected.pixel(x, y)),
                     qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
}

void tst_Decoders::decodesEveryBmpVariant_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("colours");
    QTest::addColumn<RowOrder>("order");
    QTest::addColumn<BmpCompression>("compression");
    QTest::addColumn<int>("height");
    for (int bits : {1, 4, 8, 24, 32}) {
        const int colours = bits == 1 ? 2 : 10;
        QTest::addRow("%d bit bottom-up", bits) << bits << colours << RowOrder::BottomUp << BmpCompression::None << 5;
        QTest::addRow("%d bit top-down", bits) << bits << colours << RowOrder::TopDown << BmpCompression::None << 5;
    }
    QTest::newRow("8 bit RLE") << 8 << 10 << RowOrder::BottomUp << BmpCompression::Rle8 << 5;
    // 200 rows: decoded a block of 64 rows at a time, each from the checkpoint the stream was indexed with.
    QTest::newRow("8 bit RLE, 200 rows") << 8 << 10 << RowOrder::BottomUp << BmpCompression::Rle8 << 200;
}

void tst_Decoders::decodesEveryBmpVariant()
{
    QFETCH(int, bits);
    QFETCH(int, colours);
    QFETCH(RowOrder, order);
    QFETCH(BmpCompression, compression);
    QFETCH(int, height);
    const QImage expected = pattern(colours, height);
    const LoadedPicture loaded =
        LoadPicture(file(QStringLiteral("p.bmp"), encodeBmp(expected, bits, order, compression)), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    PictureSurface surface;
    surface.setPicture(loaded.picture);
    compareColours(surface, expected);
}

void tst_Decoders::decodesGifFirstFrame()
{
    const QImage first = pattern(10);
    const QImage second = solid(24, 5, qRgb(0, 0, 0));
    const LoadedPicture loaded =
        LoadPicture(file(QStringLiteral("p.gif"), encodeGif({first, second})), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    PictureSurface surface;
    surface.setPicture(loaded.picture);
    compareColours(surface, first);
}

void tst_Decoders::transparentPixelsReadAsWhite()
{
    const QRgb clear = qRgb(10, 20, 30);
    const QImage picture = fromRows({QStringLiteral("#..#####")}).convertToFormat(QImage::Format_RGB32);
    QImage withHole = picture;
    withHole.setPixel(3, 0, clear);
    const LoadedPicture loaded =
        LoadPicture(file(QStringLiteral("t.gif"), encodeGif({withHole}, clear)), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    PictureSurface surface;
    surface.setPicture(loaded.picture);
    QCOMPARE(surface.Point(3, 0), whiteColour);
    QCOMPARE(surface.Point(0, 0), blackColour);
}

void tst_Decoders::decodesJpeg()
{
    QImage blocks = solid(32, 16, qRgb(255, 255, 255));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            blocks.setPixel(x, y, qRgb(0, 0, 0));
    const LoadedPicture loaded = LoadPicture(file(QStringLiteral("p.jpg"), encodeJpeg(blocks)), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    PictureSurface surface;
    surface.setPicture(loaded.picture);
    QCOMPARE(surface.ScaleWidth(), 32.0);
    QCOMPARE(surface.ScaleHeight(), 16.0);
    QVERIFY((surface.Point(4, 4) & 0xFF) < 16);
    QVERIFY((surface.Point(28, 4) & 0xFF) > 240);
}

void tst_Decoders::formatComesFromContentNotName()
{
    const QImage expected = pattern(2);
    const LoadedPicture loaded =
        LoadPicture(file(QStringLiteral("really-a-bmp.gif"), encodeBmp(expected, 24)), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    QCOMPARE(loaded.picture.size(), expected.size());
}

void tst_Decoders::refusesWhatIsNotAPicture_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Refusal::Rule>("rule");
    using Rule = Refusal::Rule;
    QTest::newRow("empty file") << QByteArray() << Rule::Empty;
    QTest::newRow("text named .bmp") << QByteArray("hello, world\n") << Rule::NotAPicture;
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n", 8) << Rule::NotAPicture;
    QTest::newRow("truncated BMP header") << QByteArray("BM\x10\x00", 4) << Rule::HeaderIncomplete;
    const QByteArray bmp = encodeBmp(pattern(10), 24);
    QTest::newRow("BMP cut in its pixels") << bmp.left(bmp.size() / 2) << Rule::CutShort;
    QByteArray zero = encodeBmp(pattern(2), 24).left(54);
    zero.replace(18, 8, QByteArray(8, '\0'));
    QTest::newRow("0 x 0 BMP") << zero << Rule::NoPixels;
    QByteArray narrow = encodeBmp(pattern(2), 24).left(54);
    narrow.replace(18, 4, QByteArray(4, '\0')); // 0 wide, 2 high
    QTest::newRow("0 x 2 BMP") << narrow << Rule::NoPixels;
    QTest::newRow("BMP cut inside its info header") << encodeBmp(pattern(2), 24).left(40) << Rule::HeaderIncomplete;
    QTest::newRow("GIF without a frame") << encodeGif({}) << Rule::NoPicture;
}

void tst_Decoders::refusesWhatIsNotAPicture()
{
    QFETCH(QByteArray, content);
    QFETCH(Refusal::Rule, rule);
    const LoadedPicture loaded = LoadPicture(file(QStringLiteral("bad.bmp"), content), Limits::window());
    QVERIFY(!loaded.ok());
    QVERIFY2(loaded.refusal.rule == rule, qPrintable(describe(loaded.refusal)));

    QCOMPARE(LoadPicture(dir.filePath(QStringLiteral("missing.bmp")), Limits::window()).refusal.rule,
             Refusal::Rule::NoSuchFile);
    QCOMPARE(LoadPicture(dir.path(), Limits::window()).refusal.rule, Refusal::Rule::IsDirectory);
    QVERIFY(!LoadPicture(QString(), Limits::window()).ok());
}

void tst_Decoders::refusesHugePictureBeforeDecoding()
{
    QByteArray header = encodeBmp(pattern(2), 24).left(54);
    const auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put32(18, 60000);
    put32(22, 60000);
    const LoadedPicture loaded = LoadPicture(file(QStringLiteral("huge.bmp"), header), Limits::window());
    QVERIFY(!loaded.ok());
    const Refusal &why = loaded.refusal;
    QVERIFY2(why.rule == Refusal::Rule::Pixels && why.width == 60000 && why.height == 60000 && why.limit == 67108864,
             qPrintable(describe(why)));
}

void tst_Decoders::refusesEveryCutShortFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("wholeFrom"); // shorter than this many bytes the file must be refused
    QTest::addColumn<bool>("atOpen");   // before a row is read
    const QImage picture = pattern(10);
    const QByteArray gif = encodeGif({picture});
    const QByteArray rle = encodeBmp(picture, 8, RowOrder::BottomUp, BmpCompression::Rle8);
    QTest::newRow("BMP 24 bit") << encodeBmp(picture, 24) << int(encodeBmp(picture, 24).size()) << true;
    QTest::newRow("BMP 4 bit top-down") << encodeBmp(picture, 4, RowOrder::TopDown) << int(encodeBmp(picture, 4).size())
                                        << true;
    QTest::newRow("BMP RLE8 (its end marker may go)") << rle << int(rle.size() - 2) << true;
    // A run of 2, a literal of 3 and its padding byte, the row's end, the bitmap's end.
    const QByteArray literal =
        rawBmp(40, 5, 1, 8, 1, noise(1024, 15), QByteArray("\x02\x07\x00\x03\x01\x00\x03\x00\x00\x00\x00\x01", 12));
    QTest::newRow("BMP RLE8, an odd literal (its padding may not go)") << literal << int(literal.size() - 2) << true;
    QTest::newRow("GIF (its trailer may go)") << gif << int(gif.size() - 1) << false;
    const QByteArray jpeg = encodeJpeg(picture, 80);
    QTest::newRow("JPEG (its end marker may go)") << jpeg << int(jpeg.size() - 2) << false;
}

void tst_Decoders::refusesEveryCutShortFile()
{
    QFETCH(QByteArray, file);
    QFETCH(int, wholeFrom);
    QFETCH(bool, atOpen);
    QVERIFY(decodePicture(file, Limits::window()).ok());
    QVERIFY(decodePicture(file.left(wholeFrom), Limits::window()).ok());
    for (int length = 1; length < wholeFrom; ++length) {
        const LoadedPicture loaded = decodePicture(file.left(length), Limits::window());
        QVERIFY2(!loaded.ok(), qPrintable(QStringLiteral("accepted when cut to %1 bytes").arg(length)));
        QVERIFY(!loaded.refusal.isEmpty());
        Refusal why;
        if (atOpen)
            QVERIFY(
                !openPicture(memorySource(file.left(length)), {PictureFormats::AllFormats, converterLimits()}, &why));
    }
}

void tst_Decoders::refusesWhatIsNotARegularFile()
{
    const QString fifo = dir.filePath(QStringLiteral("fifo.bmp"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(LoadPicture(fifo, Limits::window()).refusal.rule, Refusal::Rule::NotRegularFile); // and does not hang
    QCOMPARE(LoadPicture(QStringLiteral("/dev/zero"), Limits::window()).refusal.rule, Refusal::Rule::NotRegularFile);
    QCOMPARE(LoadPicture(dir.filePath(QString(300, u'x') + QStringLiteral(".bmp")), Limits::window()).refusal.rule,
             Refusal::Rule::NoSuchFile);
}

// What an RLE stream jumps over, or never reaches, has colour 0; a jump past the edge stops at it.
void tst_Decoders::rleJumpsSkipToColourZero()
{
    const QByteArray palette("\0\0\0\0\xFF\xFF\xFF\0\0\0\xFF\0", 12); // black, white, red
    // Bottom row: two white, then a jump 1 right and 1 up; a red; a jump 9 right (to the last column); a red.
    const QByteArray stream("\x02\x01\x00\x02\x01\x01\x01\x02\x00\x02\x09\x00\x01\x02\x00\x01", 16);
    const LoadedPicture loaded = decodePicture(rawBmp(40, 5, 2, 8, 1, palette, stream, 3), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    const QRgb k = qRgb(0, 0, 0), w = qRgb(255, 255, 255), r = qRgb(255, 0, 0);
    const QRgb expected[2][5] = {{k, k, k, r, r}, {w, w, k, k, k}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(loaded.picture.pixel(x, y), expected[y][x]);
    // A run past its row's end stops there: the row above keeps colour 0 where the run would have gone on.
    const LoadedPicture past =
        decodePicture(rawBmp(40, 3, 2, 8, 1, palette, QByteArray("\x04\x01\x00\x00\x00\x01", 6), 3), Limits::window());
    QVERIFY2(past.ok(), qPrintable(describe(past.refusal)));
    QCOMPARE(past.picture.pixel(2, 1), w);
    QCOMPARE(past.picture.pixel(0, 0), k);
}

void tst_Decoders::bitFieldsWidenByTheExactRatio_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QRgb>("pixel");
    const auto masks = [](std::initializer_list<quint32> values) {
        QByteArray bytes;
        for (quint32 v : values)
            for (int i = 0; i < 4; ++i)
                bytes.append(char(v >> (8 * i)));
        return bytes;
    };
    QTest::newRow("16 bit 5-5-5 white") << rawBmp(40, 1, 1, 16, 0, {}, masks({0x7FFF})) << qRgb(255, 255, 255);
    QTest::newRow("16 bit 5-6-5 white") << rawBmp(40, 1, 1, 16, 3, masks({0xF800, 0x07E0, 0x001F}), masks({0xFFFF}))
                                        << qRgb(255, 255, 255);
    QTest::newRow("16 bit 5-5-5: 16 is 132, 1 is 8")
        << rawBmp(40, 1, 1, 16, 0, {}, masks({16 << 10 | 1})) << qRgb(132, 0, 8);
    QTest::newRow("16 bit 5-6-5: 32 of 63 is 130")
        << rawBmp(40, 1, 1, 16, 3, masks({0xF800, 0x07E0, 0x001F}), masks({32 << 5})) << qRgb(0, 130, 0);
    QTest::newRow("16 bit, a mask past the pixel's 16 bits (the row's padding set) reads 0")
        << rawBmp(40, 1, 1, 16, 3, masks({0x00FF0000, 0x07E0, 0x001F}), masks({0xFFFFFFFF})) << qRgb(0, 255, 255);
    QTest::newRow("32 bit 10-10-10: 1023 is 255, 512 is 128")
        << rawBmp(40, 1, 1, 32, 3, masks({0x3FF00000, 0x000FFC00, 0x000003FF}), masks({1023u << 20 | 512u << 10}))
        << qRgb(255, 128, 0);
    QTest::newRow("32 bit 11-11-10: 1024 of 2047 is 128")
        << rawBmp(40, 1, 1, 32, 3, masks({0xFFE00000, 0x001FFC00, 0x000003FF}), masks({1024u << 21 | 1023}))
        << qRgb(128, 0, 255);
    QTest::newRow("32 bit, one mask of all 32 bits")
        << rawBmp(40, 1, 1, 32, 3, masks({0xFFFFFFFF, 0, 0}), masks({0x80000000})) << qRgb(128, 0, 0);
    QTest::newRow("32 bit, 1-bit mask") << rawBmp(40, 1, 1, 32, 3, masks({1, 0, 2}), masks({3})) << qRgb(255, 0, 255);
    // Alpha 8 of 15 is 136: black laid over white at 136 / 255 shows 119.
    QTest::newRow("alpha of 4 bits") << rawBmp(108, 1, 1, 32, 3, {}, masks({0x80000000}), 0, 0xF0000000)
                                     << qRgb(119, 119, 119);
    QTest::newRow("24 bit: a 108-byte header's alpha mask unused")
        << rawBmp(108, 1, 1, 24, 0, {}, QByteArray("\x40\x80\xFF\x00", 4), 0, 0xFF000000) << qRgb(255, 128, 64);
    QTest::newRow("52-byte header, its three masks: the bytes after it no alpha mask")
        << rawBmp(52, 1, 1, 32, 3, masks({0xFF000000}), masks({0x00FF8040})) << qRgb(255, 128, 64);
    QTest::newRow("56-byte header, its alpha")
        << rawBmp(56, 1, 1, 32, 3, {}, masks({0x80000000}), 0, 0xF0000000) << qRgb(119, 119, 119);
}

void tst_Decoders::bitFieldsWidenByTheExactRatio()
{
    QFETCH(QByteArray, file);
    QFETCH(QRgb, pixel);
    const LoadedPicture loaded = decodePicture(file, Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    QCOMPARE(QString::number(loaded.picture.pixel(0, 0), 16), QString::number(pixel, 16));
}

// An OS/2 BMP gives no count of its colours: its table is as long as the room before the pixels, here 16 of
// the 256 an 8-bit picture may have.
void tst_Decoders::paletteEndsWhereThePixelsBegin()
{
    QByteArray palette;
    for (int i = 0; i < 16; ++i)
        palette += QByteArray(1, char(i * 16)) + char(i) + char(255 - i);
    const LoadedPicture loaded =
        decodePicture(rawBmp(12, 4, 1, 8, 0, palette, QByteArray("\x00\x01\x0F\x07", 4)), Limits::window());
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    for (int x = 0; x < 4; ++x) {
        const int i = QList<int>{0, 1, 15, 7}[x];
        QCOMPARE(loaded.picture.pixel(x, 0), qRgb(255 - i, i, i * 16));
    }
}

void tst_Decoders::gifFramesReadWhereverTheyLie_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Refusal::Rule>("refusal"); // None: read as the screen's background, the frame's first colour
    using Rule = Refusal::Rule;
    const QImage frame = pattern(10).copy(0, 0, 8, 4);
    const QByteArray below = encodeGif({{frame, QPoint(0, 9), 0, 0, std::nullopt}}, QSize(8, 4));
    const QByteArray right = encodeGif({{frame, QPoint(20, 0), 0, 0, std::nullopt}}, QSize(8, 4), true);
    QTest::newRow("below the screen") << below << Rule::None;
    QTest::newRow("below the screen, cut short") << below.chopped(10) << Rule::CutShort;
    QTest::newRow("right of the screen, interlaced") << right << Rule::None;
    QTest::newRow("right of the screen, cut short") << right.chopped(10) << Rule::CutShort;
    // A frame of width 0 at the corner: its data blocks (a clear code and the end code) and nothing to draw.
    QByteArray empty = encodeGif({{frame, QPoint(0, 0), 0, 0, std::nullopt}}, QSize(8, 4));
    empty.truncate(empty.indexOf(',', 13 + 768));
    empty += QByteArray(",\0\0\0\0\0\0\x04\0\0\x08\x03\x00\x03\x02\x00;", 18);
    QTest::newRow("a frame of width 0") << empty << Rule::None;
    QTest::newRow("a frame of width 0, cut short") << empty.chopped(3) << Rule::CutShort;
}

void tst_Decoders::gifFramesReadWhereverTheyLie()
{
    QFETCH(QByteArray, file);
    QFETCH(Refusal::Rule, refusal);
    const LoadedPicture loaded = decodePicture(file, Limits::window());
    if (refusal != Refusal::Rule::None) {
        QCOMPARE(loaded.refusal.rule, refusal);
        return;
    }
    QVERIFY2(loaded.ok(), qPrintable(describe(loaded.refusal)));
    QImage background(8, 4, QImage::Format_RGB32);
    background.fill(pattern(10).pixel(0, 0));
    QCOMPARE(loaded.picture, background);
}

// Where Qt's reader departs from the formats' definitions, the pixels differ, each for the reason given; the
// tests above pin what the program reads there.
const QHash<QString, QString> &differencesFromQt()
{
    static const QString shifted = QStringLiteral("a 5- or 6-bit channel is widened by the exact ratio (31 gives "
                                                  "255); Qt shifts it (31 gives 248)");
    static const QHash<QString, QString> differences{
        {QStringLiteral("BMP 16 bit"), shifted},
        {QStringLiteral("BMP 16 bit, 565 fields"), shifted},
        {QStringLiteral("corpus: 16bit-fields.bmp"), shifted},
        {QStringLiteral("BMP 32 bit, 10-bit fields"),
         QStringLiteral("a 10-bit channel is widened by the exact ratio; Qt narrows it by a scale of 0, to black")},
    };
    return differences;
}

void tst_Decoders::decodersMatchQt_data()
{
    QTest::addColumn<QByteArray>("file");
    const QImage colours = pattern(10);
    for (int bits : {1, 4, 8, 24, 32})
        for (RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown})
            QTest::addRow("BMP %d bit %s", bits, order == RowOrder::TopDown ? "top-down" : "bottom-up")
                << encodeBmp(bits == 1 ? pattern(2) : colours, bits, order);
    QTest::newRow("BMP RLE8") << encodeBmp(colours, 8, RowOrder::BottomUp, BmpCompression::Rle8);
    QTest::newRow("BMP 4 bit, odd width") << encodeBmp(solid(13, 3, qRgb(9, 8, 7)), 4);
    QTest::newRow("BMP 16 bit") << rawBmp(40, 10, 4, 16, 0, {}, noise(80, 1));
    QTest::newRow("BMP 16 bit, 565 fields")
        << rawBmp(40, 10, 4, 16, 3, QByteArray("\x00\xF8\0\0\xE0\x07\0\0\x1F\0\0\0", 12), noise(80, 2));
    QTest::newRow("BMP 32 bit, 10-bit fields")
        << rawBmp(40, 7, 3, 32, 3, QByteArray("\0\0\xF0\x3F\0\xFC\x0F\0\xFF\x03\0\0", 12), noise(84, 3));
    QTest::newRow("BMP v5, alpha") << rawBmp(124, 6, 3, 32, 0, {}, noise(72, 4), 0, 0xFF000000);
    QTest::newRow("BMP v4, alpha fields") << rawBmp(108, 6, -3, 32, 3, {}, noise(72, 5), 0, 0xFF000000);
    QTest::newRow("BMP OS/2, 24 bit") << rawBmp(12, 5, 3, 24, 0, {}, noise(48, 6));
    QTest::newRow("BMP OS/2, 8 bit") << rawBmp(12, 4, 2, 8, 0, noise(768, 7), noise(8, 8));
    QTest::newRow("BMP 8 bit, 5 colours") << rawBmp(40, 8, 2, 8, 0, noise(20, 9), noise(16, 10), 5);
    QTest::newRow("BMP 1 bit, 1 colour") << rawBmp(40, 16, 2, 1, 0, noise(4, 11), noise(8, 12), 1);
    QTest::newRow("BMP 1 bit, white first")
        << rawBmp(40, 16, 2, 1, 0, QByteArray("\xFF\xFF\xFF\0\0\0\0\0", 8), noise(8, 13));
    // RLE4: a run, a literal of 3 with its padding, end of line; a run over the whole row; end of bitmap.
    QTest::newRow("BMP RLE4") << rawBmp(40, 6, 2, 4, 2, noise(64, 14),
                                        QByteArray("\x03\x12\x00\x03\x45\x60\x00\x00\x06\x7A\x00\x01", 12));
    QTest::newRow("BMP RLE8, odd literal")
        << rawBmp(40, 5, 1, 8, 1, noise(1024, 15), QByteArray("\x02\x07\x00\x03\x01\x00\x03\x00\x00\x01", 10));

    const QDir corpus(QStringLiteral(TESSALINE_FUZZ_CORPUS));
    for (const QString &name : corpus.entryList(QDir::Files))
        QTest::newRow(qPrintable(QStringLiteral("corpus: ") + name)) << readFile(corpus.filePath(name));
    QTest::newRow("GIF, two frames") << encodeGif({colours, solid(24, 5, qRgb(0, 0, 0))});
    QTest::newRow("GIF, transparent") << encodeGif({colours}, colours.pixel(3, 0));
    QTest::newRow("GIF, interlaced") << encodeGif({pattern(10).scaled(24, 19)}, std::nullopt, {}, true);
    QTest::newRow("GIF, a frame on a larger screen") << encodeGif({colours}, std::nullopt, QSize(30, 9));
    QTest::newRow("GIF, a frame on a larger screen, clear colour")
        << encodeGif({colours}, colours.pixel(3, 0), QSize(30, 9));
    QTest::newRow("JPEG") << encodeJpeg(colours, 80);
    QTest::newRow("JPEG, grey") << encodeJpeg(colours.convertToFormat(QImage::Format_Grayscale8), 90);
    QTest::newRow("JPEG, 4:2:0, odd size") << encodeJpeg(pattern(10).scaled(37, 21), 50);
    QTest::newRow("JPEG, Adobe CMYK") << encodeJpeg(colours, JpegCoding::AdobeCmyk);
    // Segments a reader skips, in the middle of what it has read: an APP1 (where cameras put Exif) and a comment.
    QTest::newRow("JPEG, an APP1 and a comment") << encodeJpeg(colours, 80)
                                                        .insert(2, QByteArray("\xFF\xE1\x00\x08"
                                                                              "Exif\0\0\xFF\xFE\x00\x05hi\0",
                                                                              17));
    QTest::newRow("PNG, grey and alpha, 16 bits") << encodePng(colours, 4, 16);
    QTest::newRow("PNG, palette, interlaced") << encodePng(colours, 3, 4, true);
}

// Wherever Qt's reader reads a file as its format defines it, the program's readers give the same pixels
// (transparency over white); every file here is whole, so what Qt reads, the program reads.
void tst_Decoders::decodersMatchQt()
{
    QFETCH(QByteArray, file);
    const QString difference = differencesFromQt().value(QString::fromLatin1(QTest::currentDataTag()));
    // Through the readers of every format the program has (the window's loader refuses PNG).
    LoadedPicture ours;
    Refusal error;
    if (const std::unique_ptr<PictureDecoder> decoder =
            openPicture(memorySource(file), PictureLimits{PictureFormats::AllFormats, converterLimits()}, &error)) {
        ours.picture = QImage(decoder->width(), decoder->height(), QImage::Format_RGB32);
        for (int y = 0; y < decoder->height() && error.isEmpty(); ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(ours.picture.scanLine(y));
            if (!decoder->readRow(row))
                error = decoder->refusal();
            layOver(row, decoder->width(), qRgb(255, 255, 255));
        }
    }
    if (!error.isEmpty())
        ours = {QImage(), error, {}};
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImage qt = QImageReader(&buffer).read();
    if (!ours.ok()) { // every file here is whole: what Qt reads, the program reads
        QVERIFY2(qt.isNull(), qPrintable(describe(ours.refusal)));
        return;
    }
    QVERIFY(!qt.isNull());
    qt = qt.convertToFormat(qt.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QCOMPARE(ours.picture.size(), qt.size());
    if (!difference.isEmpty()) { // the difference still stands, or the list is out of date
        QVERIFY2(ours.picture != qt.convertToFormat(QImage::Format_RGB32), qPrintable(difference));
        return;
    }
    for (int y = 0; y < qt.height(); ++y)
        for (int x = 0; x < qt.width(); ++x) {
            const QRgb p = qt.pixel(x, y);
            const int a = qAlpha(p);
            const auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            QVERIFY2(ours.picture.pixel(x, y) == qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p))),
                     qPrintable(QStringLiteral("pixel (%1, %2): %3, Qt %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(ours.picture.pixel(x, y), 8, 16)
                                    .arg(p, 8, 16)));
        }
}

void tst_Decoders::jpegAcceptance_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("whole");      // the file it was made from
    QTest::addColumn<Refusal::Rule>("refusal"); // None: read as the whole file reads
    const Refusal::Rule cut = Refusal::Rule::CutShort, none = Refusal::Rule::None;
    const QImage picture = pattern(10).scaled(256, 96);
    const QByteArray whole = encodeJpeg(picture, 90);
    const QByteArray eoi("\xFF\xD9", 2);
    QTest::newRow("whole") << whole << whole << none;
    QTest::newRow("end marker missing") << whole.chopped(2) << whole << none;
    QByteArray stray = whole;
    stray.insert(stray.indexOf("\xFF\xDB"), QByteArray("\x01\x02\x03", 3)); // before the quantisation tables
    QTest::newRow("stray bytes between segments") << stray << whole << none;
    // A segment longer than the reader's buffer (64 KiB) is skipped past its end, end markers and all.
    const QByteArray app = QByteArray("\xFF\xEF\xFF\xFF", 4) + eoi.repeated(32766) + '\xFF';
    QTest::newRow("a long segment holding end markers") << whole.left(2) + app + whole.mid(2) << whole << none;
    QTest::newRow("rows missing") << whole.left(whole.size() * 3 / 4) << whole << cut;
    QTest::newRow("last row's data cut") << whole.chopped(12) << whole << cut;
    QTest::newRow("scan cut, end marker put after it") << whole.left(whole.size() * 3 / 4) + eoi << whole << cut;
    const qsizetype sos = whole.indexOf("\xFF\xDA");
    const int sosLength = quint8(whole[sos + 2]) << 8 | quint8(whole[sos + 3]);
    QTest::newRow("a scan header and no data") << whole.left(sos + 2 + sosLength) + eoi << whole << cut;
    QTest::newRow("a frame and no scan") << whole.left(sos) + eoi << whole << Refusal::Rule::Damaged;

    const QByteArray progressive = encodeJpeg(picture, JpegCoding::Progressive);
    const qsizetype lastScan = progressive.lastIndexOf("\xFF\xDA");
    QTest::newRow("progressive") << progressive << progressive << none;
    QTest::newRow("progressive, end marker missing") << progressive.chopped(2) << progressive << cut;
    QTest::newRow("progressive, cut between scans") << progressive.left(lastScan) << progressive << cut;
    // With its end marker, a file of fewer scans is whole: the format lets a writer leave out refinements.
    const QByteArray fewerScans = progressive.left(lastScan) + eoi;
    QTest::newRow("progressive, a scan left out") << fewerScans << fewerScans << none;
    // The last scan, again and again: each pass over the picture costs time, and the file little.
    const QByteArray scan = progressive.mid(lastScan, progressive.size() - 2 - lastScan);
    QTest::newRow("300 scans") << progressive.chopped(2) + scan.repeated(300) + eoi << progressive
                               << Refusal::Rule::Scans;
    // What follows the end marker is not the picture's: its scans are not counted.
    QTest::newRow("300 scans after the end marker")
        << progressive + QByteArray("\0\2", 2) + scan.repeated(300) << progressive << none;
    const QByteArray multiScan = encodeJpeg(picture, JpegCoding::MultiScan);
    QTest::newRow("a scan for each component") << multiScan << multiScan << none;
    QTest::newRow("a scan for each component, the last missing")
        << multiScan.left(multiScan.lastIndexOf("\xFF\xDA")) << multiScan << cut;
    const QByteArray arithmetic = encodeJpeg(picture, JpegCoding::Arithmetic);
    QTest::newRow("arithmetic") << arithmetic << arithmetic << none;
    QTest::newRow("arithmetic, cut") << arithmetic.left(arithmetic.size() * 3 / 4) << arithmetic << cut;
    // Arithmetic coding cannot tell a missing end marker from missing data: it reads zeros past a file's end.
    QTest::newRow("arithmetic, end marker missing") << arithmetic.chopped(2) << arithmetic << cut;
}

void tst_Decoders::jpegAcceptance()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, whole);
    QFETCH(Refusal::Rule, refusal);
    const LoadedPicture loaded = decodePicture(file, Limits::window());
    QVERIFY2(loaded.refusal.rule == refusal, qPrintable(describe(loaded.refusal)));
    if (refusal == Refusal::Rule::None)
        QCOMPARE(loaded.picture, decodePicture(whole, Limits::window()).picture);
}

QTEST_GUILESS_MAIN(tst_Decoders)
// A seek lands on its byte whether it stays within the reader's buffer (64 KiB) or leaves it, either way, and
// after another seek. A read past the buffer goes on from its end; a file that shrinks reads as far as it goes,
// and a picture in it is cut short.
void tst_Decoders::byteReaderSeeks()
{
    QByteArray data(100000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i % 251);
    const auto source = memorySource(data);
    ByteReader in(*source);
    for (const std::int64_t at : {std::int64_t(10), std::int64_t(3), std::int64_t(200), std::int64_t(70000),
                                  std::int64_t(69999), std::int64_t(5)}) {
        in.seek(at + 1); // and straight after another seek, nothing read between
        in.seek(at);
        QCOMPARE(in.position(), at);
        QCOMPARE(in.byte(), int(at % 251));
        QCOMPARE(in.byte(), int((at + 1) % 251));
    }
    ByteReader whole(*source); // a read past the buffer's size goes straight to the caller, and on from there
    QByteArray large(70000, '\0');
    QCOMPARE(whole.read(large.data(), large.size()), large.size());
    QCOMPARE(large, data.left(large.size()));
    QCOMPARE(whole.byte(), int(large.size() % 251));
    // A file that shrinks once open reads as far as it now goes, which is no failed read.
    Refusal why;
    const QString path = file(QStringLiteral("shrinks.bin"), data);
    const auto shrinking = openFileSource(path, &why);
    QVERIFY(shrinking && QFile::resize(path, 10));
    QCOMPARE(shrinking->readAt(0, large.data(), 20), 10);
    // A picture whose file shrinks once open is cut short at the row that is gone.
    const QString bmp = file(QStringLiteral("shrinks.bmp"), encodeBmp(pattern(4), 24));
    const auto picture = openPicture(openFileSource(bmp, &why), {PictureFormats::AllFormats, converterLimits()}, &why);
    QVERIFY(picture && picture->prepare() && QFile::resize(bmp, 54));
    QVERIFY(!picture->readRow(std::vector<QRgb>(4).data()));
    QCOMPARE(picture->refusal().rule, Refusal::Rule::CutShort);
    auto emptied = openFileSource(bmp, &why); // and one that is emptied, as no picture
    QVERIFY(emptied && QFile::resize(bmp, 0));
    QVERIFY(!openPicture(std::move(emptied), {PictureFormats::AllFormats, converterLimits()}, &why));
    QCOMPARE(why.rule, Refusal::Rule::NotAPicture);
}

void tst_Decoders::framesOutOfOrderAreRefused_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<int>>("opened"); // frames opened in this order, each read to its end; the last refused
    QTest::newRow("a picture twice") << "picture" << QList<int>{0, 0};
    QTest::newRow("a picture's frame 1") << "picture" << QList<int>{1};
    // 2 x 2 tiles of a 4 x 6 picture: bands of two.
    QTest::newRow("tiles: a band gone by") << "tiles" << QList<int>{0, 2, 1};
    QTest::newRow("tiles: a band skipped") << "tiles" << QList<int>{1, 4};
    QTest::newRow("an animation's frame twice") << "animation" << QList<int>{0, 0};
    QTest::newRow("an animation's frame skipped") << "animation" << QList<int>{0, 2};
}

// The road asks for frames in order, and rows in order: anything else is refused, never read from what is gone.
void tst_Decoders::framesOutOfOrderAreRefused()
{
    QFETCH(QString, source);
    QFETCH(QList<int>, opened);
    const QImage image = pattern(4, 6).copy(0, 0, 4, 6);
    const Limits limits = converterLimits();
    Refusal why;
    const QByteArray bmp = encodeBmp(image, 24), gif = encodeGif({image, image, image}); // read where they lie
    const std::unique_ptr<PictureDecoder> picture =
        openPicture(memorySource(bmp), {PictureFormats::AllFormats, limits}, &why);
    QVERIFY(picture);
    std::unique_ptr<FrameSource> frames;
    if (source == u"picture")
        frames = std::make_unique<SinglePicture>(*picture);
    else if (source == u"tiles")
        frames = Tiles::cut(*picture, QSize(2, 2), limits, &why);
    else
        frames = GifAnimation::open(memorySource(gif), limits, &why);
    QVERIFY(frames);
    for (int k = 0; k < opened.size() - 1; ++k) {
        const std::unique_ptr<PictureDecoder> frame = frames->open(opened[k], &why);
        QVERIFY2(frame, qPrintable(describe(why)));
        std::vector<QRgb> row(std::size_t(frame->width()));
        for (int y = 0; y < frame->height(); ++y)
            QVERIFY(frame->readRow(row.data()));
        QVERIFY(!frame->readRow(row.data())); // a row past the last
        QCOMPARE(frame->refusal().rule, Refusal::Rule::OutOfOrder);
    }
    QVERIFY(!frames->open(opened.last(), &why));
    QCOMPARE(why.rule, Refusal::Rule::OutOfOrder);
}

#include "tst_decoders.moc"
