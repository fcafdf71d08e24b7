#include "limits.h"

Limits Limits::window()
{
    constexpr std::int64_t imageMemory = std::int64_t(256) << 20;
    Limits limits;
    limits.maxPixels = imageMemory / 4;
    limits.budget = std::make_shared<Budget>(imageMemory);
    return limits;
}

bool Limits::fitsPicture(std::int64_t width, std::int64_t height, Refusal *why, QStringView what) const
{
    if (width <= 0 || height <= 0) {
        *why = what.toString() + QStringLiteral(" has no pixels");
        return false;
    }
    if (width > maxSide || height > maxSide) {
        *why = Refusal::overLimit(QStringLiteral("%1 is %2 x %3 pixels; no side may pass %4 pixels")
                                      .arg(what)
                                      .arg(width)
                                      .arg(height)
                                      .arg(maxSide),
                                  Remedy::None);
        return false;
    }
    if (width * height > maxPixels) {
        *why = Refusal::overLimit(QStringLiteral("%1 is %2 x %3 pixels, more than the limit of %4 pixels")
                                      .arg(what)
                                      .arg(width)
                                      .arg(height)
                                      .arg(maxPixels),
                                  Remedy::MorePixels);
        return false;
    }
    return true;
}

bool Limits::fitsPixels(std::int64_t pixels, QStringView what, Refusal *why) const
{
    if (pixels <= maxPixels)
        return true;
    *why = Refusal::overLimit(QStringLiteral("%1 are more than %2 pixels to decode").arg(what).arg(maxPixels),
                              Remedy::MorePixels);
    return false;
}

bool Limits::fitsRead(std::int64_t bytes, QStringView what, Refusal *why) const
{
    if (bytes <= maxHeldBytes())
        return true;
    *why = Refusal::overLimit(
        QStringLiteral("%1 is longer than the memory limit of %2 bytes").arg(what).arg(maxHeldBytes()),
        Remedy::MoreMemory);
    return false;
}

bool Limits::reserve(std::int64_t bytes, QStringView what, Reservation *into, Refusal *why) const
{
    if (budget->take(*into, bytes))
        return true;
    const std::int64_t others = budget->held() - into->bytes();
    QString held;
    if (others > 0 && bytes <= maxHeldBytes())
        held = QStringLiteral(" beside the %1 bytes already held").arg(others);
    // What the reservation would hold in all: a buffer that grows piece by piece is named at its whole size.
    const std::int64_t whole = bytes > maxHeldBytes() ? bytes : bytes + into->bytes();
    *why =
        Refusal::overLimit(QStringLiteral("holding %1 whole takes %2 bytes%3, more than the memory limit of %4 bytes")
                               .arg(what)
                               .arg(whole)
                               .arg(held)
                               .arg(maxHeldBytes()),
                           Remedy::MoreMemory);
    return false;
}
