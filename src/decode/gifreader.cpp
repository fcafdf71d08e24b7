#include "gifreader.h"

#include <algorithm>

GifReader::~GifReader()
{
    if (gif_)
        DGifCloseFile(gif_, nullptr);
}

bool GifReader::open(Refusal *error)
{
    int code = 0;
    gif_ = DGifOpen(this, &GifReader::input, &code);
    return gif_ || fail(code, error);
}

bool GifReader::nextFrame(GifControl *control, Refusal *error)
{
    *control = {};
    while (true) {
        GifRecordType record;
        if (DGifGetRecordType(gif_, &record) != GIF_OK)
            return fail(gif_->Error, error);
        if (record == TERMINATE_RECORD_TYPE)
            return false;
        if (record == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif_) == GIF_OK || fail(gif_->Error, error);
        int code = 0;
        GifByteType *block = nullptr;
        if (DGifGetExtension(gif_, &code, &block) != GIF_OK)
            return fail(gif_->Error, error);
        // A graphic control block of more than its 4 bytes is read for its first 4.
        GraphicsControlBlock gcb{};
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 &&
            DGifExtensionToGCB(4, block + 1, &gcb) == GIF_OK)
            *control = {10 * gcb.DelayTime, gcb.DisposalMode, gcb.TransparentColor};
        while (block)
            if (DGifGetExtensionNext(gif_, &block) != GIF_OK)
                return fail(gif_->Error, error);
    }
}

bool GifReader::skipImage(Refusal *error)
{
    int size = 0;
    GifByteType *block = nullptr;
    if (DGifGetCode(gif_, &size, &block) != GIF_OK)
        return fail(gif_->Error, error);
    while (block)
        if (DGifGetCodeNext(gif_, &block) != GIF_OK)
            return fail(gif_->Error, error);
    return true;
}

bool GifReader::line(GifPixelType *line, int width, Refusal *error)
{
    return DGifGetLine(gif_, line, width) == GIF_OK || fail(gif_->Error, error);
}

int GifReader::input(GifFileType *gif, GifByteType *data, int count)
{
    auto *reader = static_cast<GifReader *>(gif->UserData);
    const std::int64_t n = reader->bytes_.read(reinterpret_cast<char *>(data), count);
    if (n < count)
        reader->ranOut_ = true;
    return n < 0 ? 0 : int(n);
}

bool GifReader::fail(int code, Refusal *error) const
{
    if (bytes_.failed())
        *error = source_.refusal();
    else if (ranOut_ || code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON)
        *error = Refusal(Refusal::Rule::CutShort).in("GIF");
    else // giflib's own words
        *error = Refusal(Refusal::Rule::Damaged)
                     .saying(QString::fromLatin1(GifErrorString(code) ? GifErrorString(code) : "unknown error"))
                     .in("GIF");
    return false;
}

bool GifFrameRows::open(GifReader &reader, const GifControl &control, std::int64_t screenWidth,
                        std::int64_t screenHeight, const Limits &limits, Refusal *error)
{
    reader_ = &reader;
    const GifImageDesc &image = reader.gif()->Image;
    screenWidth_ = screenWidth;
    left_ = image.Left;
    top_ = image.Top;
    frameWidth_ = image.Width;
    frameHeight_ = image.Height;
    interlaced_ = image.Interlace;
    transparent_ = control.transparent;
    map_ = image.ColorMap ? image.ColorMap : reader.gif()->SColorMap;
    visibleWidth_ = std::clamp<std::int64_t>(screenWidth - left_, 0, frameWidth_);
    visibleHeight_ = std::clamp<std::int64_t>(screenHeight - top_, 0, frameHeight_);
    if (visibleWidth_ == 0)
        visibleHeight_ = 0;
    line_.resize(std::size_t(std::max<std::int64_t>(frameWidth_, 1)));
    return !interlaced_ ||
           limits.reserve(visibleWidth_ * visibleHeight_, Subject::Thing::InterlacedGifFrame, &held_, error);
}

QRgb GifFrameRows::colour(int index) const
{
    if (index == transparent_ || !map_ || index >= map_->ColorCount)
        return 0;
    const GifColorType &c = map_->Colors[index];
    return qRgb(c.Red, c.Green, c.Blue);
}

bool GifFrameRows::readLine(Refusal *error)
{
    if (!reader_->line(line_.data(), int(frameWidth_), error))
        return false;
    ++linesRead_;
    return true;
}

bool GifFrameRows::readInterlaced(Refusal *error)
{
    frame_.resize(std::size_t(visibleWidth_ * visibleHeight_));
    for (int pass = 0; pass < 4; ++pass)
        for (std::int64_t r = GifReader::passStart[pass]; r < frameHeight_; r += GifReader::passStep[pass]) {
            if (!readLine(error))
                return false;
            if (r < visibleHeight_)
                std::copy_n(line_.data(), visibleWidth_, frame_.data() + r * visibleWidth_);
        }
    frameRead_ = true;
    return true;
}

bool GifFrameRows::row(std::int64_t y, QRgb *row, Refusal *error)
{
    std::fill(row, row + screenWidth_, QRgb(0));
    const std::int64_t j = y - top_;
    if (j < 0 || j >= visibleHeight_)
        return true;
    const GifPixelType *indices = nullptr;
    if (interlaced_) {
        if (!frameRead_ && !readInterlaced(error))
            return false;
        indices = frame_.data() + j * visibleWidth_;
    } else {
        while (linesRead_ <= j)
            if (!readLine(error))
                return false;
        indices = line_.data();
    }
    for (std::int64_t x = 0; x < visibleWidth_; ++x)
        row[left_ + x] = colour(indices[x]);
    return true;
}

bool GifFrameRows::finish(Refusal *error)
{
    if (dataRead_)
        return true;
    if (frameWidth_ == 0 || frameHeight_ == 0) { // no pixels, but the data blocks must be there all the same
        if (!reader_->skipImage(error))
            return false;
    } else if (interlaced_) {
        if (!frameRead_ && !readInterlaced(error))
            return false;
    } else {
        while (linesRead_ < frameHeight_)
            if (!readLine(error))
                return false;
    }
    dataRead_ = true;
    return true;
}
