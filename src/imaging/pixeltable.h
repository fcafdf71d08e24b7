#pragma once

#include "core/colour.h"
#include "core/limits.h"
#include "core/progress.h"
#include "imaging/pack.h"

#include <cstdint>
#include <vector>

// One entry a pixel: 1 for a black pixel, 0 for any other colour, stored row after row, x varying fastest.
//
// The packing that all writers use: byte c of row y holds pixels 8c .. 8c+7 of that row, the leftmost in
// bit 7, a black pixel a 1 bit; bytes run left to right within a row and rows top to bottom.
class PixelTable {
public:
    PixelTable() = default;
    // A table of width x height entries, their bytes reserved first in `held`.
    PixelTable(int width, int height, Reservation held = {});

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return cells_.empty(); }

    std::uint8_t *row(int y) { return cells_.data() + std::size_t(y) * std::size_t(width_); }
    const std::uint8_t *row(int y) const { return cells_.data() + std::size_t(y) * std::size_t(width_); }

private:
    int width_ = 0;
    int height_ = 0;
    Reservation held_;
    std::vector<std::uint8_t> cells_;
};

// One row of the table: 1 where the pixel's colour equals `blackcolor` exactly, 0 elsewhere.
void readPixelRow(const QRgb *pixels, int width, Colour blackcolor, std::uint8_t *entries);
