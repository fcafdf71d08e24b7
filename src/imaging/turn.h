#pragma once

#include "core/colour.h"
#include "core/refusal.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

class PictureDecoder;

// Turns a picture before it is packed: the rotation first (clockwise), then the flip (horizontal mirrors left
// and right). Rows come top to bottom of the turned picture. A rotation or a vertical flip needs the whole
// picture, which is then held (4 bytes a pixel, heldBytes()); without either, rows pass straight from the
// decoder.
enum class Flip { None, Horizontal, Vertical };

class TurnedRows {
public:
    // `degrees` is 0, 90, 180 or 270.
    TurnedRows(PictureDecoder &decoder, int degrees, Flip flip);

    int width() const { return width_; }
    int height() const { return height_; }
    // The memory the turn holds: 0 when rows pass straight through.
    std::int64_t heldBytes() const { return heldBytes(width_, height_, degrees_, flip_); }
    // The same for a picture `width` x `height` as turned.
    static std::int64_t heldBytes(int width, int height, int degrees, Flip flip);

    // The next row of the turned picture into `row` (width() pixels); false, with the decoder's reason, when
    // the picture cannot be read.
    bool next(QRgb *row);
    const Refusal &refusal() const { return error_; }

private:
    // A quarter turn reads the held picture down its columns. It turns a band of this many rows at once, so
    // that it reads each held row this many pixels at a time: a cache line's worth.
    static constexpr int bandRows = 16;

    bool passesStraight() const { return degrees_ == 0 && flip_ != Flip::Vertical; }
    bool readAll();
    void turnBand(int first);

    PictureDecoder &decoder_;
    int degrees_;
    Flip flip_;
    int width_;
    int height_;
    int row_ = 0;
    struct Free {
        void operator()(QRgb *p) const { std::free(p); }
    };
    std::unique_ptr<QRgb[], Free> whole_;
    std::vector<QRgb> band_; // rows [bandFirst_, bandFirst_ + bandRows) of the rotated picture
    int bandFirst_ = -1;
    Refusal error_;
};
