#pragma once

#include "core/colour.h"

#include <cstdint>
#include <vector>

// How black is told from white, a row at a time.
enum class Dither { None, FloydSteinberg, Atkinson, Bayer4 };

// The luminance of each pixel, 0.299 R + 0.587 G + 0.114 B rounded to the nearest whole number, a half to the
// even one.
void luminanceRow(const QRgb *pixels, int width, std::uint8_t *luminance);

// Turns rows of pixels, top to bottom, into rows of entries, 1 for black and 0 for white:
// - exact: black only where the colour equals `black` (the window's pixel table);
// - threshold: black where the luminance is below n (0 to 255);
// - dithered: black where the luminance, with the error diffused to it, is below 128 (Floyd-Steinberg and
//   Atkinson, left to right on every row), or below 16 M + 8 for the 4 x 4 Bayer matrix's entry M.
class BlackAndWhite {
public:
    static BlackAndWhite exact(Colour black);
    static BlackAndWhite threshold(int n);
    static BlackAndWhite dithered(Dither dither, int width);

    // The next row; `entries` takes `width` values.
    void classify(const QRgb *pixels, int width, std::uint8_t *entries);

private:
    enum class Rule { Exact, Threshold, Dither };
    BlackAndWhite(Rule rule, Colour black, int threshold, Dither dither, int width);

    Rule rule_;
    Colour black_;
    int threshold_;
    Dither dither_;
    int row_ = 0;
    std::vector<std::uint8_t> luminance_;
    // Errors diffused to the current row and the next two, each with two columns of margin on either side.
    std::vector<int> errors_[3];
};
