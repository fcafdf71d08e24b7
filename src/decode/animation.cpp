#include "animation.h"

#include "decode/gifreader.h"

#include <algorithm>

namespace {

// The canvas as a picture, rows straight from it, until the next frame is drawn.
class CanvasPicture : public PictureDecoder {
public:
    CanvasPicture(const QRgb *canvas, int width, int height) : canvas_(canvas)
    {
        width_ = width;
        height_ = height;
    }
    bool mayBeTransparent() const override { return true; }

protected:
    bool decodeRow(int y, QRgb *row) override
    {
        std::copy_n(canvas_ + std::size_t(y) * std::size_t(width_), width_, row);
        return true;
    }

private:
    const QRgb *canvas_;
};

} // namespace

GifAnimation::~GifAnimation() = default;

std::unique_ptr<GifAnimation> GifAnimation::open(std::unique_ptr<ByteSource> source, const Limits &limits, Refusal *why)
{
    auto animation = std::unique_ptr<GifAnimation>(new GifAnimation(limits));
    animation->source_ = std::move(source);
    GifReader scan(*animation->source_);
    if (!scan.open(why))
        return nullptr;
    GifFileType *gif = scan.gif();
    // Every frame read through once: the count and the delays before any is drawn, and a file cut short found.
    // Every pixel a frame declares is decoded, on the screen or off it: they count against the limit, as the
    // screens drawn do.
    std::int64_t decoded = 0, shown = 0;
    bool restores = false;
    GifControl frame;
    why->clear();
    while (scan.nextFrame(&frame, why)) {
        const GifImageDesc &image = gif->Image;
        if (animation->frames_.empty()) {
            // The picture is the logical screen; without one, the first frame's extent from the screen's corner,
            // as for the picture alone.
            const std::int64_t width = gif->SWidth > 0 ? gif->SWidth : std::int64_t(image.Left) + image.Width;
            const std::int64_t height = gif->SHeight > 0 ? gif->SHeight : std::int64_t(image.Top) + image.Height;
            if (!limits.fitsPicture(width, height, why))
                return nullptr;
            animation->width_ = int(width);
            animation->height_ = int(height);
        }
        if (image.Width > 0 && image.Height > 0 &&
            !limits.fitsPicture(image.Width, image.Height, why, Subject::Thing::GifFrame))
            return nullptr;
        decoded += std::int64_t(image.Width) * image.Height;
        shown += std::int64_t(animation->width_) * animation->height_;
        if (!limits.fitsPixels(decoded, Subject::Thing::Frames, why))
            return nullptr;
        if (!limits.fitsPixels(shown, Subject::Thing::AnimationScreens, why)) {
            why->width = animation->width_;
            why->height = animation->height_;
            return nullptr;
        }
        restores = restores || frame.disposal == 3;
        if (animation->frames_.size() == maxFrames) {
            *why = Refusal::of(Refusal::Rule::TooManyFrames, {}, std::int64_t(maxFrames) + 1, maxFrames);
            return nullptr;
        }
        animation->frames_.push_back(frame);
        if (!scan.skipImage(why))
            return nullptr;
    }
    if (!why->isEmpty())
        return nullptr;
    if (animation->frames_.empty()) {
        *why = Refusal(Refusal::Rule::NoPicture).in("GIF");
        return nullptr;
    }
    const std::int64_t canvas = std::int64_t(animation->width_) * animation->height_ * std::int64_t(sizeof(QRgb));
    if (!limits.reserve(restores ? 2 * canvas : canvas, Subject::Thing::AnimationPicture, &animation->held_, why))
        return nullptr;
    animation->canvas_.assign(std::size_t(animation->width_) * std::size_t(animation->height_), 0);
    if (restores)
        animation->saved_.resize(animation->canvas_.size());
    animation->reader_ = std::make_unique<GifReader>(*animation->source_);
    if (!animation->reader_->open(why))
        return nullptr;
    return animation;
}

void GifAnimation::dispose()
{
    const GifControl &frame = frames_[std::size_t(composed_)];
    if (frame.disposal == 2) {
        // Only the part of the frame that lies on the screen is cleared.
        const int right = std::min(left_ + frameWidth_, width_);
        for (int y = top_; left_ < right && y < std::min(top_ + frameHeight_, height_); ++y) {
            const auto row = canvas_.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(width_));
            std::fill(row + left_, row + right, QRgb(0));
        }
    } else if (frame.disposal == 3) {
        canvas_ = saved_;
    }
}

std::unique_ptr<PictureDecoder> GifAnimation::open(int i, Refusal *why)
{
    if (i != composed_ + 1) {
        *why = Refusal::Rule::OutOfOrder;
        return nullptr;
    }
    if (composed_ >= 0)
        dispose();
    GifControl frame;
    why->clear();
    if (!reader_->nextFrame(&frame, why)) {
        if (why->isEmpty())
            *why = Refusal::Rule::Changed;
        return nullptr;
    }
    const GifControl &described = frames_[std::size_t(i)];
    if (described.disposal == 3)
        saved_ = canvas_;
    const GifImageDesc &image = reader_->gif()->Image;
    left_ = image.Left;
    top_ = image.Top;
    frameWidth_ = image.Width;
    frameHeight_ = image.Height;
    composed_ = i;
    // The frame drawn over the canvas: what it does not draw leaves what is under it.
    GifFrameRows rows;
    if (!rows.open(*reader_, described, width_, height_, limits_, why))
        return nullptr;
    std::vector<QRgb> line(static_cast<std::size_t>(width_));
    for (std::int64_t y = rows.top(); y < rows.top() + rows.height(); ++y) {
        if (!rows.row(y, line.data(), why))
            return nullptr;
        QRgb *row = canvas_.data() + std::size_t(y) * std::size_t(width_);
        for (int x = 0; x < width_; ++x)
            if (qAlpha(line[std::size_t(x)]))
                row[x] = line[std::size_t(x)];
    }
    if (!rows.finish(why))
        return nullptr;
    return std::make_unique<CanvasPicture>(canvas_.data(), width_, height_);
}

QString GifAnimation::label(int i) const
{
    // Counted from 0, as the arrays are.
    return QStringLiteral("frame %1 of %2, %3 ms").arg(i).arg(frames_.size()).arg(frames_[std::size_t(i)].delay);
}

QList<FrameTable> GifAnimation::tables() const
{
    FrameTable delays{FrameValues::Delays, {}};
    for (const GifControl &frame : frames_)
        delays.values.append(std::uint32_t(frame.delay));
    return {delays};
}
