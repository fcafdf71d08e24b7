#pragma once

#include "decode/bytesource.h"

#include <QString>

#include <gif_lib.h>

// giflib over a byte source, a record at a time: the frames' descriptions, their graphic control, and their
// image data read line by line or skipped. The first frame's decoder and the animation's frames both read
// through it.

// A frame's graphic control extension.
struct GifControl {
    int delay = 0;        // in milliseconds
    int disposal = 0;     // 0 and 1 keep the frame, 2 clears its rectangle, 3 brings back what was under it
    int transparent = -1; // the clear index, or none
};

class GifReader {
public:
    explicit GifReader(ByteSource &source) : source_(source), bytes_(source) {}
    ~GifReader();
    GifReader(const GifReader &) = delete;
    GifReader &operator=(const GifReader &) = delete;

    // Reads the screen descriptor; false, with the reason, when the file is no GIF or is damaged.
    bool open(QString *error);
    GifFileType *gif() const { return gif_; }

    // The next frame's description (in gif()->Image) and its graphic control; false at the end of the file
    // (with `error` empty) or when it is damaged.
    bool nextFrame(GifControl *control, QString *error);
    // The image data of the frame just described, read to its end without decoding it.
    bool skipImage(QString *error);
    // The next line of the frame just described, in the order stored, into `line` (its width).
    bool line(GifPixelType *line, int width, QString *error);

    // An interlaced frame's rows in the order stored: four passes, every 8th row from 0, every 8th from 4, every
    // 4th from 2, every 2nd from 1.
    static constexpr int passStart[4] = {0, 4, 2, 1};
    static constexpr int passStep[4] = {8, 8, 4, 2};

private:
    static int input(GifFileType *gif, GifByteType *data, int count);
    bool fail(int code, QString *error) const;

    ByteSource &source_;
    ByteReader bytes_;
    bool ranOut_ = false; // the data ended where giflib wanted more
    GifFileType *gif_ = nullptr;
};
