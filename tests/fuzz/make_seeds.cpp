// Writes the fuzz target's seed corpus: small pictures of every kind the program reads; with a second folder,
// the hostile files of the bad-input suite too (headers that claim more than their files hold, scan bombs).
//   make_fuzz_seeds FOLDER [HOSTILE_FOLDER]

#include "support/badinputs.h"
#include "support/testpictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

using namespace TestPictures;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QDir out(QCoreApplication::arguments().value(1, QStringLiteral(".")));
    QImage colours(24, 6, QImage::Format_RGB32);
    const QRgb palette[] = {qRgb(0, 0, 0),   qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 243, 0),
                            qRgb(0, 0, 255), qRgb(183, 183, 183), qRgb(1, 0, 0),   qRgb(60, 240, 255)};
    for (int y = 0; y < colours.height(); ++y)
        for (int x = 0; x < colours.width(); ++x)
            colours.setPixel(x, y, palette[(x * 3 + y) % 8]);
    const QImage mono = workedExample();
    bool ok = true;
    const auto write = [&](const QString &name, const QByteArray &data) {
        ok = writeFile(out.filePath(name), data) && ok;
    };
    write(QStringLiteral("mono-1bit.bmp"), encodeBmp(mono, 1));
    write(QStringLiteral("mono-4bit-topdown.bmp"), encodeBmp(mono, 4, RowOrder::TopDown));
    write(QStringLiteral("colours-8bit.bmp"), encodeBmp(colours, 8));
    write(QStringLiteral("colours-rle8.bmp"), encodeBmp(colours, 8, RowOrder::BottomUp, BmpCompression::Rle8));
    write(QStringLiteral("colours-24bit.bmp"), encodeBmp(colours, 24));
    write(QStringLiteral("colours-32bit-topdown.bmp"), encodeBmp(colours, 32, RowOrder::TopDown));
    write(QStringLiteral("colours.jpg"), encodeJpeg(colours, 75));
    write(QStringLiteral("mono.gif"), encodeGif({mono}));
    write(QStringLiteral("two-frames-transparent.gif"), encodeGif({colours, mono.scaled(24, 6)}, palette[6]));
    write(QStringLiteral("odd-width.bmp"), encodeBmp(solid(13, 3, qRgb(0, 0, 0)), 24));
    write(QStringLiteral("16bit-fields.bmp"),
          rawBmp(40, 16, 4, 16, 3, QByteArray("\x00\xF8\0\0\xE0\x07\0\0\x1F\0\0\0", 12), noise(128, 2)));
    write(QStringLiteral("v5-alpha.bmp"), rawBmp(124, 8, 3, 32, 0, {}, noise(96, 4), 0, 0xFF000000));
    write(QStringLiteral("os2-8bit.bmp"), rawBmp(12, 8, 2, 8, 0, noise(768, 7), noise(16, 8)));
    write(QStringLiteral("rle4.bmp"),
          rawBmp(40, 8, 2, 4, 2, noise(64, 14),
                 QByteArray("\x03\x12\x00\x03\x45\x60\x02\x7A\x00\x00\x08\x11\x00\x01", 14)));
    write(QStringLiteral("colours.png"), encodePng(colours, 2, 8));
    write(QStringLiteral("interlaced.gif"), encodeGif({colours}, std::nullopt, {}, true));
    write(QStringLiteral("frame-on-larger-screen.gif"), encodeGif({mono}, palette[1], QSize(24, 5)));
    // Converter options chosen by a first byte, then the picture.
    write(QStringLiteral("options-vertical-lsb.bin"), QByteArray(1, char(0x03)) + encodeBmp(colours, 24));
    write(QStringLiteral("options-rotate-dither.bin"), QByteArray(1, char(0xDC)) + encodeJpeg(colours, 75));
    write(QStringLiteral("options-threshold-png.bin"), QByteArray(1, char(0x8C)) + encodePng(colours, 3, 8, true));
    write(QStringLiteral("options-pad-odd-width.bin"),
          QByteArray(1, char(0x44)) + encodeBmp(solid(13, 3, qRgb(0, 0, 0)), 24));
    QImage progressive = colours.scaled(48, 24);
    write(QStringLiteral("colours-small.jpg"), encodeJpeg(progressive, 40));
    write(QStringLiteral("colours-progressive.jpg"), encodeJpeg(colours, JpegCoding::Progressive));
    write(QStringLiteral("colours-arithmetic.jpg"), encodeJpeg(colours, JpegCoding::Arithmetic));
    // Frames of every disposal, smaller than the screen, with clear pixels, one interlaced.
    const QRgb clear = qRgb(1, 2, 3);
    QImage holed = colours.copy(0, 0, 8, 3);
    holed.setPixel(1, 1, clear);
    write(QStringLiteral("animation-disposals.gif"),
          encodeGif({{colours, {}, 1, 10, std::nullopt},
                     {holed, QPoint(4, 1), 2, 20, clear},
                     {holed, QPoint(10, 2), 3, 30, clear},
                     {mono.scaled(12, 3), QPoint(20, 3), 0, 0, std::nullopt}},
                    QSize(24, 6)));

    const QString hostile = QCoreApplication::arguments().value(2);
    if (!hostile.isEmpty()) {
        QTemporaryDir scratch;
        for (const BadInputs::BadInput &bad : BadInputs::make(scratch.path())) {
            const QByteArray data = readFile(bad.path);
            if (!data.isEmpty() && data.size() < 16384)
                ok = writeFile(QDir(hostile).filePath(QFileInfo(bad.path).fileName()), data) && ok;
        }
    }
    return ok ? 0 : 1;
}
