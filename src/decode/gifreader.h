#pragma once

#include "core/refusal.h"

#include "core/colour.h"
#include "core/limits.h"
#include "decode/bytesource.h"

#include <QString>

#include <gif_lib.h>

#include <cstdint>
#include <vector>

// giflib over a byte source, a record at a time: the frames' descriptions, their graphic control, and their
// image data read line by line or skipped. The first frame's decoder and the animation's frames both read
// through it.

// A frame's graphic control extension.
struct GifControl {
    int delay = 0;    // in milliseconds
    int disposal = 0; // 0 and 1 keep the frame, 2 clears its rectangle, 3 brings back what was under it
    int transparent = NO_TRANSPARENT_COLOR; // the clear index, or none
};

class GifReader {
public:
    explicit GifReader(ByteSource &source) : source_(source), bytes_(source) {}
    ~GifReader();
    GifReader(const GifReader &) = delete;
    GifReader &operator=(const GifReader &) = delete;

    // Reads the screen descriptor; false, with the reason, when the file is no GIF or is damaged.
    bool open(Refusal *error);
    GifFileType *gif() const { return gif_; }

    // The next frame's description (in gif()->Image) and its graphic control; false at the end of the file
    // (with `error` empty) or when it is damaged.
    bool nextFrame(GifControl *control, Refusal *error);
    // The image data of the frame just described, read to its end without decoding it.
    bool skipImage(Refusal *error);
    // The next line of the frame just described, in the order stored, into `line` (its width).
    bool line(GifPixelType *line, int width, Refusal *error);

    // An interlaced frame's rows in the order stored: four passes, every 8th row from 0, every 8th from 4, every
    // 4th from 2, every 2nd from 1.
    static constexpr int passStart[] = {0, 4, 2, 1};
    static constexpr int passStep[] = {8, 8, 4, 2};

private:
    static int input(GifFileType *gif, GifByteType *data, int count);
    bool fail(int code, Refusal *error) const;

    ByteSource &source_;
    ByteReader bytes_;
    bool ranOut_ = false; // the data ended where giflib wanted more
    GifFileType *gif_ = nullptr;
};

// The frame a reader has just described, as it lies on the screen: rows of the screen's width, top to bottom,
// each pixel the frame's colour, or clear (0) where the frame draws nothing: off its rectangle (what lies off the
// screen is clipped), its clear index, an index past its colour table (or any index, without a table). A
// picture alone and an animation's frames read GIF frames through it, so both follow this one rule. The frame's
// data is read to its end, wherever it lies; an interlaced frame arrives in four passes, so the part of it on the
// screen is held, within the budget, until it is whole.
class GifFrameRows {
public:
    // The frame just described by `reader` (after nextFrame()), with its graphic control, on a screen of
    // `screenWidth` x `screenHeight`. False, with the reason, when its interlaced part does not fit the budget.
    bool open(GifReader &reader, const GifControl &control, std::int64_t screenWidth, std::int64_t screenHeight,
              const Limits &limits, Refusal *error);
    // The screen rows the frame draws on: [top(), top() + height()).
    std::int64_t top() const { return top_; }
    std::int64_t height() const { return visibleHeight_; }
    // Screen row `y` (rows asked in order) into `row`; false, with the reason, when the data is damaged or cut.
    bool row(std::int64_t y, QRgb *row, Refusal *error);
    // Reads the rest of the frame's data, to its end.
    bool finish(Refusal *error);

private:
    bool readLine(Refusal *error);
    bool readInterlaced(Refusal *error);
    QRgb colour(int index) const;

    GifReader *reader_ = nullptr;
    std::int64_t screenWidth_ = 0;
    std::int64_t left_ = 0, top_ = 0, frameWidth_ = 0, frameHeight_ = 0;
    std::int64_t visibleWidth_ = 0, visibleHeight_ = 0; // the frame's part on the screen
    bool interlaced_ = false;
    const ColorMapObject *map_ = nullptr;
    int transparent_ = NO_TRANSPARENT_COLOR;
    std::vector<GifPixelType> line_;
    Reservation held_;                // frame_'s bytes
    std::vector<GifPixelType> frame_; // the visible part of an interlaced frame, row after row
    bool frameRead_ = false;
    std::int64_t linesRead_ = 0;
    bool dataRead_ = false;
};
