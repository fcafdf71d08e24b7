#pragma once

#include <array>
#include <cstdint>
#include <vector>

// How values are brought to the few levels a display has.
enum class Dither { None, FloydSteinberg, Atkinson, Bayer4 };

// Quantises rows of channel values, top to bottom, to levels: each value v (0..255) of a channel whose largest
// level is max becomes the nearest level, (v * max + 127) / 255, a level being worth level * 255 / max rounded.
// - Floyd-Steinberg and Atkinson: left to right on every row, each value with the errors handed to it (a value
//   out of 0..255 takes the nearest end), the error (the value less what its level is worth) handed on in whole
//   numbers, each share rounded toward zero: 7/16 right, 3/16, 5/16 and 1/16 below left, below and below
//   right; or 1/8 to the next two on the row, the three below and the one two rows down.
// - Bayer4: the ordered 4 x 4 matrix as an offset of one level step, (v * max + 247 - 16 M) / 255 for the
//   matrix's entry M at the pixel.
// With max 1 these are the black-and-white dithers: the level is 0, black, where the value is below 128 (or,
// ordered, below 16 M + 8).
class Quantiser {
public:
    // `channels` values a pixel, interleaved; each channel's largest level in `max`.
    Quantiser(Dither dither, int width, int channels, std::array<int, 3> max);

    // The next row: width * channels values into as many levels.
    void row(const std::uint8_t *values, std::uint8_t *levels);

    // Channel c's table of plain rounding: the level of each value, without a dither.
    const std::uint8_t *nearest(int c) const { return nearest_[std::size_t(c)].data(); }

    // The 4 x 4 Bayer matrix, row by row.
    static constexpr int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

private:
    void diffuse(const std::uint8_t *values, std::uint8_t *levels, int c);

    Dither dither_;
    int width_;
    int channels_;
    std::array<int, 3> max_;
    std::array<std::array<std::uint8_t, 256>, 3> nearest_{}; // plain rounding, a table a channel
    int row_ = 0;
    // A channel's errors for the current row and the next two, two columns of margin either side.
    std::vector<int> errors_[3][3];
};
