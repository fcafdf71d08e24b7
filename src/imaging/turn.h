#pragma once

#include "core/colour.h"
#include "core/refusal.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class PictureDecoder;

// Turns a picture before it is packed: the rotation first (clockwise), then the flip (horizontal mirrors left
// and right). Rows come top to bottom of the turned picture. A rotation or a vertical flip needs the whole
// picture, which is then held at the depth the road needs there: as colours (32 bits a pixel), or, where each
// row is made into values of fewer bits as it is read (the tone's levels), at those bits; without either, rows
// pass straight from the decoder.
enum class Flip { None, Horizontal, Vertical };

class TurnedRows {
public:
    // Makes a row, as read, into values (in place, one a pixel, each below 2 to the power of the bits held).
    using Make = std::function<void(QRgb *row)>;

    // `degrees` is 0, 90, 180 or 270; `bits` a pixel held is 1, 2, 8, 16 or 32 (`make` then gives values of
    // that many bits; without it, the pixels are held as they are read, 32 bits).
    TurnedRows(PictureDecoder &decoder, int degrees, Flip flip, int bits = 32, Make make = {});

    int width() const { return width_; }
    int height() const { return height_; }
    // Whether the turn holds the whole picture before its first row (a rotation or a vertical flip); without,
    // rows pass straight through.
    static bool holdsWhole(int degrees, Flip flip) { return degrees != 0 || flip == Flip::Vertical; }
    // The memory the turn holds, for a picture `width` x `height` as turned: 0 when rows pass straight through.
    static std::int64_t heldBytes(int width, int height, int degrees, Flip flip, int bits);

    // The next row of the turned picture into `row` (width() pixels, or values as made); false, with the
    // decoder's reason, when the picture cannot be read.
    bool next(QRgb *row);
    const Refusal &refusal() const { return error_; }

private:
    // A quarter turn reads the held picture down its columns. It turns a band of this many rows at once, so
    // that it reads each held row this many pixels at a time: a cache line's worth.
    static constexpr int bandRows = 16;

    bool readRow(QRgb *row);
    bool readAll();
    void turnBand(int first);

    PictureDecoder &decoder_;
    int degrees_;
    Flip flip_;
    int bits_;
    Make make_;
    int width_;
    int height_;
    int row_ = 0;
    std::size_t heldRowBytes_ = 0;
    std::unique_ptr<std::uint8_t[]> whole_; // the picture as read, rows of heldRowBytes_
    std::vector<QRgb> band_;                // rows [bandFirst_, bandFirst_ + bandRows) of the rotated picture
    int bandFirst_ = -1;
    Refusal error_;
};
