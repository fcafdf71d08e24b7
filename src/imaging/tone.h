#pragma once

#include "core/colour.h"
#include "imaging/pixelformat.h"
#include "imaging/quantiser.h"

#include <cstdint>
#include <vector>

// The tone stage: rows of pixels as decoded (and turned) into rows of levels as the display shows them.
//
// First every pixel is laid over the background (what transparent pixels show). Then:
// - mono: 1 for a black pixel, 0 for white, by one rule: exact (black only where the colour equals `black`:
//   the window's pixel table), the window's colour conversion first, a threshold on the luminance, or a dither;
// - grey: the luminance brought to the format's levels, 0 black to the largest white, dithered or not;
// - colour: red, green and blue each brought to its channel's levels, dithered or not, three levels a pixel.

struct ToneOptions {
    QRgb background = 0xFFFFFFFF; // what transparent pixels are laid over
    bool convert = false;         // mono: the window's colour to black-and-white conversion first
    int threshold = -1;           // mono: black where the luminance is below this, 0 to 255
    Dither dither = Dither::None;
    Colour black = 0;             // mono, exact: the one colour that is black
    bool mayBeTransparent = true; // false: the rows are opaque, and laying them over the background is skipped
};

// The luminance of each pixel, 0.299 R + 0.587 G + 0.114 B rounded to the nearest whole number, a half to the
// even one.
void luminanceRow(const QRgb *pixels, int width, std::uint8_t *luminance);

class Tone {
public:
    Tone(const ToneOptions &options, PixelFormat pixel, int width);

    // Levels a pixel: 1, or 3 for colour.
    int channels() const { return traits_.channels; }
    // What a white pixel's levels are: 0 in mono (no ink), the largest level otherwise.
    std::uint8_t white() const { return traits_.mono() ? 0 : std::uint8_t(traits_.max[0]); }

    // The next row: `pixels` (width of them) are laid over the background in place, then their levels written
    // to `levels` (width * channels() of them).
    void row(QRgb *pixels, std::uint8_t *levels);
    // Of the rows so far, the pixels the exact rule took for white that were not white: greys and colours.
    std::int64_t greysAsWhite() const { return greysAsWhite_; }

private:
    enum class Rule { Exact, Threshold, Quantise };
    static Rule ruleOf(const ToneOptions &options, const PixelFormatTraits &traits);

    PixelFormatTraits traits_;
    ToneOptions options_;
    int width_;
    Rule rule_;
    Quantiser quantiser_;
    std::vector<std::uint8_t> values_; // luminance or channels, the quantiser's input
    std::int64_t greysAsWhite_ = 0;
};
