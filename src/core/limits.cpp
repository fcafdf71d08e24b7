#include "limits.h"

#include <algorithm>

Limits Limits::window()
{
    constexpr std::int64_t imageMemory = std::int64_t(256) << 20;
    return withBudget(imageMemory / 4, imageMemory);
}

bool Limits::fitsPicture(std::int64_t width, std::int64_t height, Refusal *why, const Subject &what) const
{
    if (width <= 0 || height <= 0) {
        *why = Refusal::ofSize(Refusal::Rule::NoPixels, what, width, height, 0);
        return false;
    }
    if (width > maxSide || height > maxSide) {
        *why = Refusal::ofSize(Refusal::Rule::Side, what, width, height, maxSide);
        return false;
    }
    if (width * height > maxPixels) {
        *why = Refusal::ofSize(Refusal::Rule::Pixels, what, width, height, maxPixels);
        return false;
    }
    return true;
}

bool Limits::fitsPixels(std::int64_t pixels, const Subject &what, Refusal *why) const
{
    if (pixels <= maxPixels)
        return true;
    *why = Refusal::of(Refusal::Rule::Decoded, what, pixels, maxPixels);
    return false;
}

bool Limits::fitsRead(std::int64_t bytes, const Subject &what, Refusal *why) const
{
    if (bytes <= maxHeldBytes())
        return true;
    *why = Refusal::of(Refusal::Rule::Read, what, bytes, maxHeldBytes());
    return false;
}

bool Limits::reserve(std::int64_t bytes, const Subject &what, Reservation *into, Refusal *why) const
{
    if (budget->take(*into, bytes))
        return true;
    // What the reservation would hold in all: a buffer that grows piece by piece is named at its whole size.
    const std::int64_t whole = bytes > maxHeldBytes() ? bytes : bytes + into->bytes();
    *why = Refusal::of(Refusal::Rule::Held, what, whole, maxHeldBytes());
    if (bytes <= maxHeldBytes())
        why->held = std::max<std::int64_t>(budget->held() - into->bytes(), 0);
    return false;
}
