#pragma once

#include <array>
#include <cstdint>

// How a display takes a pixel: one bit (black or white), a grey level of 2, 4 or 8 bits, or a colour of 8, 16
// or 24 bits. Levels run from 0, black, to the channel's largest value, white (or full colour).
enum class PixelFormat { Mono, Gray2, Gray4, Gray8, Rgb332, Rgb565, Rgb888 };

struct PixelFormatTraits {
    const char *name;       // as the converter's options spell it
    int bits;               // a pixel's bits when packed
    int channels;           // 1 (mono, grey) or 3 (red, green, blue)
    std::array<int, 3> max; // each channel's largest level
    bool mono() const { return channels == 1 && max[0] == 1; }
    bool colour() const { return channels == 3; }
    bool subByte() const { return bits < 8; }
};

const PixelFormatTraits &traitsOf(PixelFormat format);

// A level of 0..max widened back to 0..255 by the exact ratio, v * 255 / max rounded to nearest.
constexpr int widenLevel(int level, int max)
{
    return (level * 255 + max / 2) / max;
}

// The level of 0..max nearest to the channel value v of 0..255: (v * max + 127) / 255.
constexpr int nearestLevel(int v, int max)
{
    return (v * max + 127) / 255;
}
