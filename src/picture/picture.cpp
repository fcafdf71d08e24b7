#include "picture.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <optional>

namespace {

// Which decoder a file needs, from its first bytes.
QByteArray sniffFormat(const QByteArray &head)
{
    if (head.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    if (head.startsWith("\xFF\xD8\xFF"))
        return QByteArrayLiteral("jpeg");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    return {};
}

// Lays every pixel that is not fully opaque over white, in place, and marks the image opaque.
QImage flattenOntoWhite(QImage image)
{
    image.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            if (a == 255)
                continue;
            const auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p)));
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

// What a BMP file's headers say about its pixels. Qt's reader decodes a BMP whose pixel data is cut short
// without a complaint, filling the rest, so the length is checked here before it decodes anything.
struct BmpLayout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t pixelBytes = -1; // stored bytes the pixels need; -1 when compressed (unknown)
    std::int64_t pixelOffset = 0;
};

std::optional<BmpLayout> readBmpLayout(const QByteArray &head)
{
    const auto u16 = [&](int at) { return std::int64_t(quint8(head[at])) | std::int64_t(quint8(head[at + 1])) << 8; };
    const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    if (head.size() < 26)
        return std::nullopt;
    BmpLayout layout;
    layout.pixelOffset = u32(10);
    const std::int64_t infoSize = u32(14);
    std::int64_t bitsPerPixel = 0;
    std::int64_t compression = 0;
    if (infoSize == 12) { // OS/2 core header, 16-bit sizes
        layout.width = u16(18);
        layout.height = u16(20);
        bitsPerPixel = u16(24);
    } else {
        if (head.size() < 34)
            return std::nullopt;
        layout.width = std::int32_t(u32(18));
        layout.height = std::int32_t(u32(22));
        bitsPerPixel = u16(28);
        compression = u32(30);
    }
    layout.height = layout.height < 0 ? -layout.height : layout.height;
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (uncompressed && layout.width > 0 && bitsPerPixel > 0 && bitsPerPixel <= 32)
        layout.pixelBytes = (layout.width * bitsPerPixel + 31) / 32 * 4 * layout.height;
    return layout;
}

// Why a picture must not be decoded, judged from its headers alone; empty when it may be.
QString refusalBeforeDecoding(const QByteArray &format, QFile &file, QImageReader &reader)
{
    std::optional<BmpLayout> bmp;
    std::int64_t width = -1, height = -1;
    if (format == "bmp") {
        bmp = readBmpLayout(file.peek(64));
        if (!bmp)
            return QStringLiteral("the BMP header is incomplete");
        width = bmp->width;
        height = bmp->height;
    } else if (const QSize size = reader.size(); size.isValid()) {
        width = size.width();
        height = size.height();
    }
    if (width == 0 || height == 0)
        return QStringLiteral("the picture has no pixels");
    if (width > 0 && height > 0 && width * height * 4 > maxPictureBytes)
        return QStringLiteral("the picture is %1 x %2 pixels, more than %3 MiB of image memory")
            .arg(width)
            .arg(height)
            .arg(maxPictureBytes / (1024 * 1024));
    if (bmp && bmp->pixelBytes >= 0 && bmp->pixelOffset + bmp->pixelBytes > file.size())
        return QStringLiteral("the BMP file is cut short: its pixels need %1 bytes, it has %2")
            .arg(bmp->pixelOffset + bmp->pixelBytes)
            .arg(file.size());
    return {};
}

LoadedPicture failure(const QString &reason)
{
    return {QImage(), reason};
}

} // namespace

LoadedPicture LoadPicture(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return failure(QStringLiteral("no such file"));
    if (info.isDir())
        return failure(QStringLiteral("is a directory, not a picture file"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    const QByteArray format = sniffFormat(file.peek(6));
    if (format.isEmpty())
        return failure(QStringLiteral("not a BMP, JPEG or GIF picture"));

    QImageReader reader(&file, format);
    reader.setDecideFormatFromContent(false);
    const QString refusal = refusalBeforeDecoding(format, file, reader);
    if (!refusal.isEmpty())
        return failure(refusal);
    QImageReader::setAllocationLimit(int(maxPictureBytes / (1024 * 1024)));

    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        const QString why = reader.errorString();
        return failure(QStringLiteral("cannot decode the %1 picture: %2").arg(QString::fromLatin1(format).toUpper(), why));
    }
    if (image.width() <= 0 || image.height() <= 0)
        return failure(QStringLiteral("the picture has no pixels"));

    if (image.hasAlphaChannel())
        image = flattenOntoWhite(std::move(image));
    else
        image.convertTo(QImage::Format_RGB32);
    return {image, QString()};
}
