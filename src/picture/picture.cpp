#include "picture.h"

#include "picture/decoder.h"

namespace {

const PictureLimits windowLimits{PictureFormats::WindowFormats, maxPictureBytes};

LoadedPicture failure(const QString &reason)
{
    return {QImage(), reason};
}

LoadedPicture readWhole(std::unique_ptr<PictureDecoder> decoder, const QString &error)
{
    if (!decoder)
        return failure(error);
    QImage image(decoder->width(), decoder->height(), QImage::Format_RGB32);
    if (image.isNull())
        return failure(QStringLiteral("not enough memory for a picture of %1 x %2 pixels")
                           .arg(decoder->width())
                           .arg(decoder->height()));
    for (int y = 0; y < image.height(); ++y)
        if (!decoder->readRow(reinterpret_cast<QRgb *>(image.scanLine(y))))
            return failure(decoder->errorString());
    return {image, QString()};
}

} // namespace

LoadedPicture decodePicture(const QByteArray &data)
{
    QString error;
    return readWhole(openPicture(memorySource(data), windowLimits, &error), error);
}

LoadedPicture LoadPicture(const QString &path)
{
    QString error;
    return readWhole(openPicture(path, windowLimits, &error), error);
}
