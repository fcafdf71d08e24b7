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
    // Whether each pixel's levels are its own (no dither carries anything between pixels): such a tone may run
    // before the turn, on the rows as read, so that the turn holds levels, not colours.
    static bool pointwise(const ToneOptions &options) { return options.dither == Dither::None; }

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

// A pixel's levels, and whether it is opaque (its alpha at least 128: the mask's bit), as one value: what a turn
// holds where the tone runs before it. Mono takes a bit, a level of grey or colour a byte, the mask one more bit.
class LevelValues {
public:
    LevelValues(PixelFormat pixel, bool mask);

    // The bits a value is held in: 1 or 2 for mono, 8 or 16 for grey, 32 for colour.
    int bits() const;
    // Values of `width` pixels from their levels and (with the mask) their opaque bytes; and back.
    void pack(const std::uint8_t *levels, const std::uint8_t *opaque, int width, QRgb *values) const;
    void unpack(const QRgb *values, int width, std::uint8_t *levels, std::uint8_t *opaque) const;

private:
    int levelBits_;
    int channels_;
    bool mask_;
};

// A byte a pixel: 1 where its alpha is at least 128.
void opaqueRow(const QRgb *pixels, int width, std::uint8_t *opaque);
