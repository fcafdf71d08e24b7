// GIF through giflib, row by row: the first frame on its logical screen. The part of the frame that lies on
// the screen is drawn and the rest clipped, as browsers do; the frame's data is read to its end wherever the
// frame lies, so a file cut short is refused whether or not its pixels show (a frame with no pixel on the
// screen is read before the first row, the rows below the screen after the last). A frame of no width or height
// has no pixels: the picture is the screen's background. An interlaced frame arrives in four passes, so the
// part of it on the screen is held until the frame is whole.

#include "decode/decoder.h"
#include "decode/gifreader.h"

#include <algorithm>
#include <vector>

namespace {

class GifDecoder : public PictureDecoder {
public:
    const char *format() const override { return "gif"; }
    bool mayBeTransparent() const override { return transparent_ >= 0; }
    bool open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, QString *errorString);

protected:
    bool decodeRow(int y, QRgb *row) override;
    bool finish() override;

private:
    // The colour of palette index `index` as the frame shows it: one past the table, or beyond, is clear.
    QRgb colour(int index) const;
    // Reads the frame's next line in stream order into line_.
    bool readLine();
    // The indices of frame row j that lie on the screen; null after fail().
    const std::uint8_t *visibleRow(std::int64_t j);
    bool readInterlaced();

    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<GifReader> reader_;
    GifFileType *gif_ = nullptr; // the reader's
    std::int64_t left_ = 0, top_ = 0, frameWidth_ = 0, frameHeight_ = 0;
    std::int64_t visibleWidth_ = 0, visibleHeight_ = 0; // the frame's part on the screen
    bool interlaced_ = false;
    const ColorMapObject *map_ = nullptr;
    int colours_ = 0;
    int transparent_ = -1;
    QRgb fill_ = qRgb(0, 0, 0);
    std::vector<std::uint8_t> line_;
    Reservation held_;                // frame_'s bytes
    std::vector<std::uint8_t> frame_; // the visible part of an interlaced frame, row after row
    bool frameRead_ = false;          // an interlaced frame has been read whole
    std::int64_t linesRead_ = 0;
    bool dataRead_ = false; // the frame's data, to its end
};

bool GifDecoder::open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, QString *errorString)
{
    source_ = std::move(source);
    reader_ = std::make_unique<GifReader>(*source_);
    if (!reader_->open(errorString))
        return false;
    gif_ = reader_->gif();
    // Up to the first frame; of its graphic control only the clear colour matters.
    GifControl control;
    errorString->clear();
    if (!reader_->nextFrame(&control, errorString)) {
        if (errorString->isEmpty())
            *errorString = QStringLiteral("the GIF file holds no picture");
        return false;
    }
    transparent_ = control.transparent;
    const GifImageDesc &image = gif_->Image;
    left_ = image.Left;
    top_ = image.Top;
    frameWidth_ = image.Width;
    frameHeight_ = image.Height;
    interlaced_ = image.Interlace;
    // The picture is the logical screen; without one, the frame's extent from the screen's corner.
    width_ = gif_->SWidth > 0 ? gif_->SWidth : left_ + frameWidth_;
    height_ = gif_->SHeight > 0 ? gif_->SHeight : top_ + frameHeight_;
    if (!limits.sizes.fitsPicture(width_, height_, errorString))
        return false;
    // Every pixel of the frame is decoded, on the screen or not.
    if (frameWidth_ > 0 && frameHeight_ > 0 &&
        !limits.sizes.fitsPicture(frameWidth_, frameHeight_, errorString, u"the GIF frame"))
        return false;
    visibleWidth_ = std::clamp<std::int64_t>(width_ - left_, 0, frameWidth_);
    visibleHeight_ = std::clamp<std::int64_t>(height_ - top_, 0, frameHeight_);
    if (interlaced_ &&
        !limits.sizes.reserve(visibleWidth_ * visibleHeight_, u"the interlaced GIF frame", &held_, errorString))
        return false;
    map_ = image.ColorMap ? image.ColorMap : gif_->SColorMap;
    if (image.ColorMap) {
        colours_ = image.ColorMap->ColorCount;
    } else { // the screen descriptor's table size counts even when it has no table
        unsigned char flags = 0;
        source_->readAt(10, reinterpret_cast<char *>(&flags), 1);
        colours_ = 2 << (flags & 7);
    }
    // A frame that does not cover the screen lies on the clear colour, or on the screen's background colour.
    if (left_ || top_ || visibleWidth_ < width_ || visibleHeight_ < height_) {
        if (transparent_ >= 0)
            fill_ = 0; // clear
        else if (gif_->SColorMap)
            fill_ = colour(gif_->SBackGroundColor);
    }
    line_.resize(std::size_t(std::max<std::int64_t>(frameWidth_, 1)));
    if ((visibleWidth_ == 0 || visibleHeight_ == 0) && !finish()) { // nothing to draw: refused before any row
        *errorString = PictureDecoder::errorString();
        return false;
    }
    return true;
}

QRgb GifDecoder::colour(int index) const
{
    // What the table gives, 0x00FFFFFF (clear) past it; clear pixels only in a picture with a clear colour.
    QRgb c = 0x00FFFFFF;
    if (index < colours_ && map_ && index < map_->ColorCount)
        c = qRgb(map_->Colors[index].Red, map_->Colors[index].Green, map_->Colors[index].Blue);
    else if (index <= colours_ && !map_)
        c = 0;
    if (index == transparent_)
        c &= 0x00FFFFFF;
    return transparent_ >= 0 ? c : c | 0xFF000000;
}

bool GifDecoder::readLine()
{
    QString error;
    if (!reader_->line(line_.data(), int(frameWidth_), &error))
        return fail(error);
    ++linesRead_;
    return true;
}

bool GifDecoder::readInterlaced()
{
    frame_.resize(std::size_t(visibleWidth_ * visibleHeight_));
    for (int pass = 0; pass < 4; ++pass)
        for (std::int64_t r = GifReader::passStart[pass]; r < frameHeight_; r += GifReader::passStep[pass]) {
            if (!readLine())
                return false;
            if (r < visibleHeight_)
                std::copy_n(line_.data(), visibleWidth_, frame_.data() + r * visibleWidth_);
        }
    frameRead_ = true;
    return true;
}

const std::uint8_t *GifDecoder::visibleRow(std::int64_t j)
{
    if (interlaced_) {
        if (!frameRead_ && !readInterlaced())
            return nullptr;
        return frame_.data() + j * visibleWidth_;
    }
    while (linesRead_ <= j)
        if (!readLine())
            return nullptr;
    return line_.data();
}

bool GifDecoder::decodeRow(int y, QRgb *row)
{
    std::fill(row, row + width_, fill_);
    const std::int64_t j = y - top_;
    if (j < 0 || j >= visibleHeight_ || visibleWidth_ == 0)
        return true;
    const std::uint8_t *indices = visibleRow(j);
    if (!indices)
        return false;
    for (std::int64_t x = 0; x < visibleWidth_; ++x)
        row[left_ + x] = colour(indices[x]);
    return true;
}

bool GifDecoder::finish()
{
    if (dataRead_)
        return true;
    if (frameWidth_ == 0 || frameHeight_ == 0) { // no pixels, but the data blocks must be there all the same
        QString error;
        if (!reader_->skipImage(&error))
            return fail(error);
    } else if (interlaced_) {
        if (!frameRead_ && !readInterlaced())
            return false;
    } else {
        while (linesRead_ < frameHeight_)
            if (!readLine())
                return false;
    }
    dataRead_ = true;
    return true;
}

} // namespace

std::unique_ptr<PictureDecoder> openGif(std::unique_ptr<ByteSource> source, const PictureLimits &limits,
                                        QString *errorString)
{
    return openWith<GifDecoder>(std::move(source), limits, errorString);
}
