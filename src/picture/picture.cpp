#include "picture.h"

#include "picture/pictureheader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

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

LoadedPicture failure(const QString &reason)
{
    return {QImage(), reason};
}

} // namespace

LoadedPicture decodePicture(const QByteArray &data)
{
    const PictureHeader header = inspectPicture(data);
    if (header.width > 0 && header.height > 0 && header.width * header.height * 4 > maxPictureBytes)
        return failure(QStringLiteral("the picture is %1 x %2 pixels, more than %3 MiB of image memory")
                           .arg(header.width)
                           .arg(header.height)
                           .arg(maxPictureBytes / (1024 * 1024)));
    if (!header.problem.isEmpty())
        return failure(header.problem);
    if (header.width == 0 || header.height == 0)
        return failure(QStringLiteral("the picture has no pixels"));

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, header.format);
    reader.setDecideFormatFromContent(false);
    QImageReader::setAllocationLimit(int(maxPictureBytes / (1024 * 1024)));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return failure(QStringLiteral("cannot decode the %1 picture: %2")
                           .arg(QString::fromLatin1(header.format).toUpper(), reader.errorString()));
    if (image.width() <= 0 || image.height() <= 0)
        return failure(QStringLiteral("the picture has no pixels"));

    if (image.hasAlphaChannel())
        image = flattenOntoWhite(std::move(image));
    else
        image.convertTo(QImage::Format_RGB32);
    return {image, QString()};
}

LoadedPicture LoadPicture(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return failure(QStringLiteral("no such file"));
    if (info.isDir())
        return failure(QStringLiteral("is a directory, not a picture file"));
    if (!info.isFile())
        return failure(QStringLiteral("is not a regular file"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    // Mapped, the file's bytes are both checked and decoded without a copy.
    const qint64 size = file.size();
    if (size == 0)
        return failure(QStringLiteral("the file is empty"));
    if (uchar *mapped = file.map(0, size))
        return decodePicture(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size)));
    return decodePicture(file.readAll());
}
