#pragma once

#include <QRgb>

#include <cstdint>

// A 24-bit colour as the program computes with it: red in the low byte, green in the middle byte,
// blue in the high byte. &HFFFFFF is white, 0 is black.
using Colour = std::uint32_t;

inline constexpr Colour whiteColour = 0xFFFFFF;
inline constexpr Colour blackColour = 0x000000;

constexpr Colour colourFromRgb(QRgb rgb) noexcept
{
    return (Colour(qBlue(rgb)) << 16) | (Colour(qGreen(rgb)) << 8) | Colour(qRed(rgb));
}

constexpr QRgb rgbFromColour(Colour colour) noexcept
{
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// Lays each pixel with alpha (not premultiplied) over the opaque `background`, rounded to nearest: the pixels
// become opaque.
void layOver(QRgb *pixels, int width, QRgb background);
