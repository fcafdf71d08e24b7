#include "picture.h"

#include "decode/decoder.h"
#include "picture/picturesurface.h"

#include <new>

namespace {

LoadedPicture failure(const Refusal &reason)
{
    return {QImage(), reason, {}};
}

// Opens the picture in `source` and decodes it into an image. Everything stays within the window's limits, so
// running out of memory (std::bad_alloc, which the window catches) means the machine has less to give than they
// allow.
LoadedPicture readWhole(std::unique_ptr<ByteSource> source, const Refusal &openError, const Limits &limits)
{
    if (!source)
        return failure(openError);
    // The picture is held whole, 4 bytes a pixel, and reserved with what its reader holds.
    const PictureLimits pictureLimits{PictureFormats::WindowFormats, limits, 4};
    Refusal error;
    const std::unique_ptr<PictureDecoder> decoder = openPicture(std::move(source), pictureLimits, &error);
    if (!decoder)
        return failure(error);
    Reservation held = decoder->takeHeld();
    QImage image(decoder->width(), decoder->height(), QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    for (int y = 0; y < image.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        if (!decoder->readRow(row))
            return failure(decoder->refusal());
        if (decoder->mayBeTransparent()) // over the picture box's white
            layOver(row, image.width(), PictureSurface::background);
    }
    return {image, Refusal(), std::move(held)};
}

} // namespace

LoadedPicture decodePicture(const QByteArray &data, const Limits &limits)
{
    return readWhole(memorySource(data), Refusal(), limits);
}

LoadedPicture LoadPicture(const QString &path, const Limits &limits)
{
    Refusal error;
    std::unique_ptr<ByteSource> source = openFileSource(path, &error);
    return readWhole(std::move(source), error, limits);
}
