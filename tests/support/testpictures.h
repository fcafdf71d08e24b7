#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// Pictures the tests make themselves, and encoders for the file variants the converter must read
// (Qt writes neither GIF nor most BMP variants).
namespace TestPictures {

// One string a row: '#' black, '.' white, 'r' 'g' 'b' pure red, green and blue. Format_RGB32.
QImage fromRows(const QStringList &rows);
QImage solid(int width, int height, QRgb colour);

// 16 x 2: row 0 has pixels 0 and 7 and 8 to 15 black, row 1 pixels 12 and 14. Packs to 81 FF / 00 0A.
QImage workedExample();
// Its header lines as the window and the converter write them for `picfile`, dated 2002-11-15 14:05:09, in A51
// or (`c51`) C51; and the whole text, the header and then its two rows.
QString workedExampleHeader(bool c51, const QString &picfile);
QString workedExampleText(bool c51, const QString &picfile);

enum class RowOrder { BottomUp, TopDown };
enum class BmpCompression { None, Rle8 };

// A Windows BMP of 1, 4, 8 (palette built from the picture's colours), 24 or 32 bits a pixel.
QByteArray encodeBmp(const QImage &image, int bitsPerPixel, RowOrder order = RowOrder::BottomUp,
                     BmpCompression compression = BmpCompression::None);

// A 1-bit BMP, palette 0 black and 1 white, too large to build pixel by pixel: byte c of row y of the stored
// bits is (c + y) mod 256, so the packed byte (black = 1) is its complement.
QByteArray largeMonochromeBmp(int width, int height);

// A BMP put together byte by byte, for the variants encodeBmp does not write: a header of `infoSize` bytes (12
// is OS/2's core header; 108 and 124 carry the masks 00FF0000, 0000FF00, 000000FF and `alphaMask`),
// `afterInfo` (masks or a colour table) and the pixel data as given.
QByteArray rawBmp(int infoSize, int width, int height, int bits, int compression, const QByteArray &afterInfo,
                  const QByteArray &pixels, int colours = 0, std::uint32_t alphaMask = 0);
// `count` bytes that look random and are the same every run.
QByteArray noise(int count, quint32 seed);

// A GIF89a file with a 256-colour table and one image block a frame (no frame at all for an empty list).
// Pixels of colour `transparent`, if given, are written with the transparent index.
// `screen`, when given, is the logical screen, larger than the frames at its top-left corner.
QByteArray encodeGif(const QList<QImage> &frames, std::optional<QRgb> transparent = std::nullopt, QSize screen = {},
                     bool interlaced = false);

// A frame of an animation: where it lies on the screen, what happens to it before the next (disposal 0 to 3),
// how long it shows (hundredths of a second), and the colour written with the clear index.
struct GifFrame {
    QImage image;
    QPoint at;
    int disposal = 0;
    int delay = 0;
    std::optional<QRgb> transparent;
};
// The same with each frame where it says; the table's index 0 (the screen's background colour) is the first
// frame's first colour.
QByteArray encodeGif(const QList<GifFrame> &frames, QSize screen, bool interlaced = false);

// A PNG through libpng: colour type 0 (grey), 2 (RGB), 3 (palette, built from the picture's colours), 4 (grey
// and alpha) or 6 (RGBA), at `bitDepth` bits a sample, Adam7-interlaced or not. Grey is the green channel.
QByteArray encodePng(const QImage &image, int colourType, int bitDepth, bool interlaced = false);

// A baseline JPEG through Qt's writer.
QByteArray encodeJpeg(const QImage &image, int quality = 100);

// A JPEG through libjpeg in one of the codings a baseline writer never uses: progressive (libjpeg's script of
// ten scans), arithmetic-coded, sequential with each component in a scan of its own, or CMYK as Adobe's programs
// write it (inverted: 255 is no ink), the picture's red, green and blue stored as C, M and Y under a K of 200.
enum class JpegCoding { Progressive, Arithmetic, MultiScan, AdobeCmyk };
QByteArray encodeJpeg(const QImage &image, JpegCoding coding);

// A BDF font of 16 pixels (ascent 14, descent 2) with two glyphs: A, a 4 x 3 box with a hole (F0 90 F0) on the
// baseline one pixel in, advance 5; and 你 (U+4F60), two rows at the top: 8001 over FFFF, advance 16.
QByteArray tinyBdf();

// Writes `data` to `path`; false when that fails.
bool writeFile(const QString &path, const QByteArray &data);
// Writes `data` to the file `name` in `dir` and gives its path; a test cannot go on when that fails.
QString writeIn(const QString &dir, const QString &name, const QByteArray &data);
QByteArray readFile(const QString &path);

} // namespace TestPictures
