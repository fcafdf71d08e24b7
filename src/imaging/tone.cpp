#include "tone.h"

#include "imaging/conversion.h"
#include "imaging/pixeltable.h"

#include <algorithm>

void luminanceRow(const QRgb *pixels, int width, std::uint8_t *luminance)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        const unsigned thousandths = 299 * ((p >> 16) & 0xFF) + 587 * ((p >> 8) & 0xFF) + 114 * (p & 0xFF);
        const unsigned whole = thousandths / 1000;
        const unsigned rest = thousandths % 1000;
        luminance[x] = std::uint8_t(whole + ((rest > 500) | ((rest == 500) & whole)));
    }
}

Tone::Rule Tone::ruleOf(const ToneOptions &options, const PixelFormatTraits &traits)
{
    if (!traits.mono() || options.dither != Dither::None)
        return Rule::Quantise;
    return options.threshold >= 0 ? Rule::Threshold : Rule::Exact;
}

Tone::Tone(const ToneOptions &options, PixelFormat pixel, int width)
    : traits_(traitsOf(pixel)), options_(options), width_(std::max(width, 0)), rule_(ruleOf(options, traits_)),
      quantiser_(options.dither, width_, traits_.channels, traits_.max),
      values_(std::size_t(width_) * std::size_t(traits_.channels))
{
}

void Tone::row(QRgb *pixels, std::uint8_t *levels)
{
    if (options_.mayBeTransparent)
        layOver(pixels, width_, options_.background);
    if (traits_.mono() && options_.convert) // the window's colour rule first
        convertRow(pixels, width_, rgbFromColour(whiteColour), rgbFromColour(blackColour));
    switch (rule_) {
    case Rule::Exact: {
        readPixelRow(pixels, width_, options_.black, levels);
        // What is neither black nor white is taken for white: counted, so that a picture of greys is not lost
        // without a word. After the window's conversion every pixel is one or the other.
        if (options_.convert)
            return;
        // Counted in a local: the levels are bytes, which may alias the member, so a sum kept there would be
        // loaded and stored at every pixel.
        const QRgb white = rgbFromColour(whiteColour) & 0xFFFFFF;
        std::int64_t greys = 0;
        for (int x = 0; x < width_; ++x)
            greys += !levels[x] && (pixels[x] & 0xFFFFFF) != white;
        greysAsWhite_ += greys;
        return;
    }
    case Rule::Threshold:
        luminanceRow(pixels, width_, levels);
        for (int x = 0; x < width_; ++x)
            levels[x] = levels[x] < options_.threshold;
        return;
    case Rule::Quantise:
        break;
    }
    std::uint8_t *values = values_.data();
    if (traits_.colour() && options_.dither == Dither::None) { // straight from the pixels, no copy between
        const std::uint8_t *red = quantiser_.nearest(0), *green = quantiser_.nearest(1), *blue = quantiser_.nearest(2);
        for (int x = 0; x < width_; ++x) {
            const QRgb p = pixels[x];
            levels[3 * x] = red[(p >> 16) & 0xFF];
            levels[3 * x + 1] = green[(p >> 8) & 0xFF];
            levels[3 * x + 2] = blue[p & 0xFF];
        }
        return;
    }
    if (traits_.colour()) {
        for (int x = 0; x < width_; ++x) {
            values[3 * x] = std::uint8_t(qRed(pixels[x]));
            values[3 * x + 1] = std::uint8_t(qGreen(pixels[x]));
            values[3 * x + 2] = std::uint8_t(qBlue(pixels[x]));
        }
    } else {
        luminanceRow(pixels, width_, values);
    }
    quantiser_.row(values, levels);
    if (traits_.mono()) // level 0 is black, a 1 of ink
        for (int x = 0; x < width_; ++x)
            levels[x] = std::uint8_t(1 - levels[x]);
}

LevelValues::LevelValues(PixelFormat pixel, bool mask)
    : levelBits_(traitsOf(pixel).mono() ? 1 : 8), channels_(traitsOf(pixel).channels), mask_(mask)
{
}

int LevelValues::bits() const
{
    const int bits = levelBits_ * channels_ + mask_;
    int held = 1;
    while (held < bits)
        held *= 2;
    return held;
}

void LevelValues::pack(const std::uint8_t *levels, const std::uint8_t *opaque, int width, QRgb *values) const
{
    const int maskAt = levelBits_ * channels_;
    if (channels_ == 1 && !mask_) { // mono and grey: the level alone
        std::copy(levels, levels + width, values);
        return;
    }
    for (int x = 0; x < width; ++x) {
        QRgb value = mask_ ? QRgb(opaque[x]) << maskAt : 0;
        for (int k = 0; k < channels_; ++k)
            value |= QRgb(levels[x * channels_ + k]) << (k * levelBits_);
        values[x] = value;
    }
}

void LevelValues::unpack(const QRgb *values, int width, std::uint8_t *levels, std::uint8_t *opaque) const
{
    const int maskAt = levelBits_ * channels_;
    const QRgb level = (1u << levelBits_) - 1;
    if (channels_ == 1 && !mask_) {
        std::copy(values, values + width, levels); // each below 256
        return;
    }
    for (int x = 0; x < width; ++x) {
        for (int k = 0; k < channels_; ++k)
            levels[x * channels_ + k] = std::uint8_t(values[x] >> (k * levelBits_) & level);
        if (mask_)
            opaque[x] = std::uint8_t(values[x] >> maskAt & 1);
    }
}

void opaqueRow(const QRgb *pixels, int width, std::uint8_t *opaque)
{
    for (int x = 0; x < width; ++x)
        opaque[x] = qAlpha(pixels[x]) >= 128;
}
