#pragma once

#include "core/limits.h"

#include <memory>

// The limits the converter makes when no option changes them, each call with a budget of its own.
inline Limits converterLimits()
{
    return Limits::withBudget(Limits::defaultMaxPixels, Limits::defaultMaxHeldBytes);
}
