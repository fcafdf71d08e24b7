#pragma once

#include <cmath>

// Rounds to the nearest whole number, a half to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
// Every conversion of a floating value to an integer in the program goes through here: none truncates,
// and the result does not depend on the floating-point environment's rounding mode.
inline double roundHalfEven(double value) noexcept
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}
