#pragma once

#include "core/refusal.h"

#include "core/limits.h"
#include "decode/bytesource.h"
#include "decode/frames.h"
#include "decode/gifreader.h"

#include <QString>

#include <memory>
#include <vector>

// An animated GIF's frames, each composed as browsers show it: the frame drawn over the picture so far (its clear
// pixels leave what is under them, and what lies off the logical screen is clipped), the picture then shown, and
// the frame's disposal applied before the next: 0 and 1 keep it, 2 clears the frame's rectangle (to transparent,
// which the road lays over its background), 3 brings back the picture as it was before the frame. The screen
// starts transparent. The composed picture (and, where a frame asks for disposal 3, a copy) is held, within the
// memory limit; every frame is decoded, within the pixel limit.
class GifAnimation : public FrameSource {
public:
    ~GifAnimation() override;

    // Reads the GIF in `source` through, counting its frames and their delays (which checks that its data is
    // whole), without decoding them. Null, with the reason, when it is not a GIF, holds no frame, or is damaged,
    // cut short or too large.
    static std::unique_ptr<GifAnimation> open(std::unique_ptr<ByteSource> source, const Limits &limits, Refusal *why);

    FrameKind kind() const override { return FrameKind::Animation; }
    int count() const override { return int(frames_.size()); }
    QSize size(int) const override { return {width_, height_}; }
    std::unique_ptr<PictureDecoder> open(int i, Refusal *why) override;
    QString label(int i) const override;
    Subject what(int i) const override { return {Subject::Thing::Frame, i + 1}; }
    QList<FrameTable> tables() const override;

private:
    static constexpr std::size_t maxFrames = Limits::maxTableEntries;

    explicit GifAnimation(const Limits &limits) : limits_(limits) {}
    void dispose();

    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<GifReader> reader_;
    Limits limits_;
    int width_ = 0;
    int height_ = 0;
    std::vector<GifControl> frames_; // each frame's graphic control
    Reservation held_;               // the canvas, and its copy
    std::vector<QRgb> canvas_;
    std::vector<QRgb> saved_;                                   // the canvas before a frame of disposal 3
    int composed_ = -1;                                         // the last frame drawn on the canvas
    int left_ = 0, top_ = 0, frameWidth_ = 0, frameHeight_ = 0; // its rectangle, for disposal 2
};
