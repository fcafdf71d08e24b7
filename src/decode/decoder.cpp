#include "decoder.h"

bool PictureDecoder::prepare(QSize atLeast)
{
    if (started_)
        return error_.isEmpty();
    started_ = true;
    return start(atLeast) && error_.isEmpty();
}

bool PictureDecoder::readRow(QRgb *row)
{
    if (!prepare() || !error_.isEmpty())
        return false;
    if (nextRow_ >= height_)
        return fail(Refusal::Rule::OutOfOrder);
    if (!decodeRow(nextRow_++, row))
        return false;
    return nextRow_ < height_ || finish();
}

bool PictureDecoder::fail(const Refusal &why)
{
    if (error_.isEmpty())
        error_ = why;
    return false;
}

bool PictureDecoder::admit(const PictureLimits &limits, std::int64_t width, std::int64_t height, Refusal *why)
{
    return limits.sizes.fitsPicture(width, height, why) &&
           (limits.heldBytesPerPixel == 0 ||
            limits.sizes.reserve(limits.heldBytesPerPixel * width * height, Subject::Thing::PictureHeld, &held_, why));
}

std::unique_ptr<PictureDecoder> openPicture(std::unique_ptr<ByteSource> source, const PictureLimits &limits,
                                            Refusal *why)
{
    char magic[8] = {};
    const std::int64_t n = source->readAt(0, magic, sizeof magic);
    if (n < 0) {
        *why = source->refusal();
        return nullptr;
    }
    const QByteArrayView head(magic, n);
    std::unique_ptr<PictureDecoder> decoder;
    if (head.startsWith("BM"))
        decoder = openBmp(std::move(source), limits, why);
    else if (head.startsWith("\xFF\xD8\xFF"))
        decoder = openJpeg(std::move(source), limits, why);
    else if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        decoder = openGif(std::move(source), limits, why);
    else if (head.startsWith("\x89PNG\r\n\x1A\n") && limits.formats == PictureFormats::AllFormats)
        decoder = openPng(std::move(source), limits, why);
    else
        *why = Refusal::of(Refusal::Rule::NotAPicture, {}, limits.formats == PictureFormats::AllFormats, 0);
    return decoder;
}
