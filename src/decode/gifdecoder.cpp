// GIF through giflib, row by row: the first frame on its logical screen. The part of the frame that lies on
// the screen is drawn and the rest clipped, as browsers do; the frame's data is read to its end wherever the
// frame lies, so a file cut short is refused whether or not its pixels show (a frame with no pixel on the
// screen is read before the first row, the rows below the screen after the last). The picture is the first frame
// of the animation (GifAnimation), by the same rule: what the frame does not draw (the screen around it,
// its clear pixels, indices past its colour table) is clear, laid over the background by the caller. An
// interlaced frame arrives in four passes, so the part of it on the screen is held until the frame is whole.

#include "decode/decoder.h"
#include "decode/gifreader.h"

namespace {

class GifDecoder : public PictureDecoder {
public:
    bool mayBeTransparent() const override { return true; }
    bool open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);

protected:
    bool decodeRow(int y, QRgb *row) override
    {
        Refusal error;
        return rows_.row(y, row, &error) || fail(error);
    }
    bool finish() override
    {
        Refusal error;
        return rows_.finish(&error) || fail(error);
    }

private:
    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<GifReader> reader_;
    GifFrameRows rows_;
};

bool GifDecoder::open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    source_ = std::move(source);
    reader_ = std::make_unique<GifReader>(*source_);
    if (!reader_->open(why))
        return false;
    const GifFileType *gif = reader_->gif();
    GifControl control;
    why->clear();
    if (!reader_->nextFrame(&control, why)) {
        if (why->isEmpty())
            *why = Refusal(Refusal::Rule::NoPicture).in("GIF");
        return false;
    }
    const GifImageDesc &image = gif->Image;
    // The picture is the logical screen; without one, the frame's extent from the screen's corner.
    width_ = gif->SWidth > 0 ? gif->SWidth : std::int64_t(image.Left) + image.Width;
    height_ = gif->SHeight > 0 ? gif->SHeight : std::int64_t(image.Top) + image.Height;
    if (!admit(limits, width_, height_, why))
        return false;
    // Every pixel of the frame is decoded, on the screen or not.
    if (image.Width > 0 && image.Height > 0 &&
        !limits.sizes.fitsPicture(image.Width, image.Height, why, Subject::Thing::GifFrame))
        return false;
    if (!rows_.open(*reader_, control, width_, height_, limits.sizes, why))
        return false;
    if (rows_.height() == 0 && !finish()) { // nothing to draw: refused before any row
        *why = PictureDecoder::refusal();
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<PictureDecoder> openGif(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    return openWith<GifDecoder>(std::move(source), limits, why);
}
