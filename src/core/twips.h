#pragma once

#include "core/rounding.h"

// Geometry is kept in twips, 1/1440 inch; at the reference 96 dots an inch a pixel is 15 twips.
inline constexpr float twipsPerPixel = 15.0f;

inline int pixelsFromTwips(float twips)
{
    return int(roundHalfEven(double(twips) / double(twipsPerPixel)));
}

inline float twipsFromPixels(double pixels)
{
    return float(pixels * double(twipsPerPixel));
}
