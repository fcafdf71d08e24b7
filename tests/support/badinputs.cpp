#include "badinputs.h"

#include "support/testpictures.h"

#include <QDir>
#include <QtEndian>

#include <zlib.h>

using namespace TestPictures;

namespace BadInputs {

namespace {

// `chunk` of a PNG file (its type, e.g. "IHDR") with new data and the check sum that goes with it.
QByteArray replaceChunk(QByteArray png, const char *type, const QByteArray &data)
{
    const qsizetype at = png.indexOf(type) - 4;
    const qsizetype length = qsizetype(qFromBigEndian<quint32>(png.constData() + at));
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    chunk += QByteArray(type) + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef *>(chunk.constData() + 4), uInt(4 + data.size()))), crc.data());
    return png.replace(at, 12 + length, chunk + crc);
}

// A GIF of a screen of `screen` pixels whose first frame, at the corner, is `frame` (interlaced), with a few bytes
// of data that would not cover it.
QByteArray gifWithFrame(int screenWidth, int screenHeight, int frameWidth, int frameHeight)
{
    QByteArray gif("GIF89a");
    for (int v : {screenWidth, screenHeight})
        gif += char(v & 0xFF) + QByteArray(1, char(v >> 8));
    gif += QByteArray("\0\0\0,\0\0\0\0", 8);
    for (int v : {frameWidth, frameHeight})
        gif += char(v & 0xFF) + QByteArray(1, char(v >> 8));
    return gif + QByteArray("\x40\x02\x02\x4C\x01\x00;", 8);
}

} // namespace

QString longFolder(const QString &base, int length)
{
    QString path = base;
    for (int i = 0; path.size() < length; ++i)
        path += u'/' + QString(std::min<qsizetype>(200, length - path.size()), QChar(u'a' + i % 26));
    QDir().mkpath(path);
    return path;
}

QList<BadInput> make(const QString &folder)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    QImage picture(24, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 24; ++x)
            picture.setPixel(x, y, (x + y) % 3 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QByteArray bmp = encodeBmp(picture, 24);
    const QByteArray jpeg = encodeJpeg(picture, 80);
    const QByteArray gif = encodeGif({picture});

    QByteArray huge = bmp.left(54);
    QByteArray zero = bmp.left(54);
    for (int i = 0; i < 4; ++i) {
        huge[18 + i] = huge[22 + i] = char((60000 >> (8 * i)) & 0xFF);
        zero[18 + i] = zero[22 + i] = 0;
    }

    // Headers that claim far more than their files hold.
    const QByteArray palette("\0\0\0\0\xFF\xFF\xFF\0", 8);
    const QByteArray endOfBitmap("\0\1", 2);
    QByteArray jpegScans = encodeJpeg(picture, JpegCoding::Progressive);
    const qsizetype lastScan = jpegScans.lastIndexOf("\xFF\xDA");
    jpegScans =
        jpegScans.chopped(2) + jpegScans.mid(lastScan, jpegScans.size() - 2 - lastScan).repeated(300) + "\xFF\xD9";
    QByteArray multiScan = encodeJpeg(picture, JpegCoding::MultiScan);
    qToBigEndian<quint16>(30000, multiScan.data() + multiScan.indexOf("\xFF\xC0") + 5);
    qToBigEndian<quint16>(30000, multiScan.data() + multiScan.indexOf("\xFF\xC0") + 7);
    const QByteArray png = encodePng(picture, 2, 8);
    QByteArray bigInterlaced = png.mid(png.indexOf("IHDR") + 4, 13);
    qToBigEndian<quint32>(20000, bigInterlaced.data());
    qToBigEndian<quint32>(20000, bigInterlaced.data() + 4);
    bigInterlaced[12] = 1;
    QByteArray badEndCrc = png;
    badEndCrc[badEndCrc.size() - 1] = char(badEndCrc.back() ^ 1);
    const QByteArray cutScan = jpeg.left(jpeg.size() * 3 / 4) + "\xFF\xD9";
    QByteArray progressive = encodeJpeg(picture, JpegCoding::Progressive);
    qToBigEndian<quint16>(8192, progressive.data() + progressive.indexOf("\xFF\xC2") + 5);
    qToBigEndian<quint16>(8192, progressive.data() + progressive.indexOf("\xFF\xC2") + 7);

    const QList<std::pair<QString, QByteArray>> files{
        {QStringLiteral("wide.bmp"), rawBmp(40, 0x7FFFFFF8, 1, 8, 1, palette, endOfBitmap, 2)},
        {QStringLiteral("tall.bmp"), rawBmp(40, 8, 0x7FFFFFFF, 8, 1, palette, endOfBitmap, 2)},
        {QStringLiteral("frame.gif"), gifWithFrame(8, 8, 40000, 40000)},
        {QStringLiteral("screen.gif"), gifWithFrame(65535, 65535, 8, 8)},
        {QStringLiteral("scans.jpg"), jpegScans},
        {QStringLiteral("multiscan.jpg"), multiScan},
        {QStringLiteral("cutscan.jpg"), cutScan},
        {QStringLiteral("progressive.jpg"), progressive},
        {QStringLiteral("interlaced.png"), replaceChunk(png, "IHDR", bigInterlaced)},
        {QStringLiteral("endcrc.png"), badEndCrc},
        {QStringLiteral("noend.png"), png.chopped(12)},
        {QStringLiteral("headeronly.png"), png.left(33)},
        {QStringLiteral("inflate.png"), replaceChunk(encodePng(picture, 2, 8, true), "IDAT", "\x78\x9C\xFF\xFF")},
        {QStringLiteral("garbage.png"), png.chopped(12) + "garbage after the pixels"},
        {QStringLiteral("empty.bmp"), QByteArray()},
        {QStringLiteral("truncated.bmp"), bmp.left(bmp.size() - 40)},
        {QStringLiteral("truncated.jpg"), jpeg.left(jpeg.size() * 2 / 3)},
        {QStringLiteral("truncated.gif"), gif.left(gif.size() / 2)},
        {QStringLiteral("text.bmp"), QByteArray("This is not a picture.\n")},
        {QStringLiteral("huge.bmp"), huge},
        {QStringLiteral("noframe.gif"), encodeGif({})},
        {QStringLiteral("record.gif"), gifWithFrame(8, 8, 8, 8).replace(13, 1, "x")},
        {QStringLiteral("zero.bmp"), zero},
        {QStringLiteral("planes.bmp"), bmp.left(26) + QByteArray("\x02", 1) + bmp.mid(27)},
        // An OS/2 core header, 1 x 1 pixels of 24 bits, and not a byte after it.
        {QStringLiteral("os2.bmp"), QByteArray("BM\x1A\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\x01\0\x01\0\x01\0\x18\0", 26)},
    };
    for (const auto &[name, data] : files)
        if (!writeFile(dir.filePath(name), data))
            qFatal("cannot write %s", qPrintable(dir.filePath(name)));
    dir.mkdir(QStringLiteral("folder.bmp"));

    const auto at = [&](const QString &name) { return dir.filePath(name); };
    using Rule = Refusal::Rule;
    const QString cut = QStringLiteral("cut short");
    const QString notPicture = QStringLiteral("not a BMP, JPEG, GIF or PNG");
    const QString noSuchFile = QStringLiteral("no such file");
    return {
        {QStringLiteral("empty file"), at(QStringLiteral("empty.bmp")), Rule::Empty, QStringLiteral("empty")},
        {QStringLiteral("truncated BMP"), at(QStringLiteral("truncated.bmp")), Rule::CutShort, cut},
        {QStringLiteral("truncated JPEG"), at(QStringLiteral("truncated.jpg")), Rule::CutShort, cut},
        {QStringLiteral("truncated GIF"), at(QStringLiteral("truncated.gif")), Rule::CutShort, cut},
        {QStringLiteral("BMP of an OS/2 header alone"), at(QStringLiteral("os2.bmp")), Rule::CutShort, cut},
        {QStringLiteral("text named .bmp"), at(QStringLiteral("text.bmp")), Rule::NotAPicture, notPicture},
        {QStringLiteral("BMP claiming 60000 x 60000"), at(QStringLiteral("huge.bmp")), Rule::Pixels,
         QStringLiteral("--max-pixels")},
        {QStringLiteral("GIF without a frame"), at(QStringLiteral("noframe.gif")), Rule::NoPicture,
         QStringLiteral("no picture")},
        // giflib's own words for what it found.
        {QStringLiteral("GIF with a record of no known type"), at(QStringLiteral("record.gif")), Rule::Damaged,
         QStringLiteral("Wrong record type detected")},
        {QStringLiteral("BMP of 2 planes"), at(QStringLiteral("planes.bmp")), Rule::Planes,
         QStringLiteral("2 colour planes; a BMP has 1")},
        {QStringLiteral("RLE8 BMP 2^31 - 8 pixels wide"), at(QStringLiteral("wide.bmp")), Rule::Side,
         QStringLiteral("no side may pass 1048576 pixels")},
        {QStringLiteral("RLE8 BMP 2^31 - 1 pixels tall"), at(QStringLiteral("tall.bmp")), Rule::Side,
         QStringLiteral("no side may pass 1048576 pixels")},
        {QStringLiteral("GIF: a 40000 x 40000 frame on an 8 x 8 screen"), at(QStringLiteral("frame.gif")), Rule::Pixels,
         QStringLiteral("the GIF frame is 40000 x 40000 pixels, more than the limit of")},
        {QStringLiteral("GIF: a 65535 x 65535 screen"), at(QStringLiteral("screen.gif")), Rule::Pixels,
         QStringLiteral("--max-pixels")},
        {QStringLiteral("JPEG of 300 scans"), at(QStringLiteral("scans.jpg")), Rule::Scans,
         QStringLiteral("more than 256 scans")},
        {QStringLiteral("multi-scan JPEG claiming 30000 x 30000"), at(QStringLiteral("multiscan.jpg")), Rule::Pixels,
         QStringLiteral("--max-memory")},
        {QStringLiteral("JPEG cut in its scan, end marker put after it"), at(QStringLiteral("cutscan.jpg")),
         Rule::CutShort, cut},
        // The window holds the picture, 256 MiB, and reserves it first: the scans' coefficients do not fit beside
        // it, and nothing is decoded.
        {QStringLiteral("progressive JPEG claiming 8192 x 8192"), at(QStringLiteral("progressive.jpg")), Rule::Held,
         cut},
        {QStringLiteral("a name that was not UTF-8"), at(QStringLiteral("v\uFFFD.bmp")), Rule::NameNotUtf8,
         QStringLiteral("the name was not UTF-8")},
        {QStringLiteral("interlaced PNG claiming 20000 x 20000"), at(QStringLiteral("interlaced.png")),
         Rule::NotAPicture, QStringLiteral("--max-memory")},
        {QStringLiteral("PNG with a wrong CRC on its end chunk"), at(QStringLiteral("endcrc.png")), Rule::NotAPicture,
         QStringLiteral("CRC")},
        {QStringLiteral("PNG without its end chunk"), at(QStringLiteral("noend.png")), Rule::NotAPicture, cut},
        {QStringLiteral("PNG cut after its header chunk"), at(QStringLiteral("headeronly.png")), Rule::NotAPicture,
         cut},
        {QStringLiteral("interlaced PNG whose pixel data does not inflate"), at(QStringLiteral("inflate.png")),
         Rule::NotAPicture, QStringLiteral("the PNG file is damaged (IDAT: ")},
        {QStringLiteral("PNG with garbage after its pixels"), at(QStringLiteral("garbage.png")), Rule::NotAPicture,
         QStringLiteral("PNG file is damaged")},
        {QStringLiteral("0 x 0 picture"), at(QStringLiteral("zero.bmp")), Rule::NoPixels, QStringLiteral("no pixels")},
        {QStringLiteral("directory"), at(QStringLiteral("folder.bmp")), Rule::IsDirectory, QStringLiteral("directory")},
        {QStringLiteral("missing file"), at(QStringLiteral("missing.bmp")), Rule::NoSuchFile, noSuchFile},
        {QStringLiteral("missing, with spaces, quotes and Chinese"), at(QStringLiteral("我的 \"图片\" 'x'.bmp")),
         Rule::NoSuchFile, noSuchFile},
        {QStringLiteral("missing, 4000 characters"),
         longFolder(folder + QStringLiteral("/long"), 4000) + QStringLiteral("/pic.bmp"), Rule::NoSuchFile, noSuchFile},
    };
}

} // namespace BadInputs
