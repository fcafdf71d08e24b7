#include "limits.h"

Limits Limits::window()
{
    constexpr std::int64_t imageMemory = std::int64_t(256) << 20;
    Limits limits;
    limits.maxPixels = imageMemory / 4;
    limits.budget = std::make_shared<Budget>(imageMemory);
    limits.raisedByOptions = false;
    return limits;
}

bool Limits::fitsPicture(std::int64_t width, std::int64_t height, QString *why, QStringView what) const
{
    if (width <= 0 || height <= 0) {
        *why = what.toString() + QStringLiteral(" has no pixels");
        return false;
    }
    if (width > maxSide || height > maxSide) {
        *why = QStringLiteral("%1 is %2 x %3 pixels; no side may pass %4 pixels")
                   .arg(what)
                   .arg(width)
                   .arg(height)
                   .arg(maxSide);
        return false;
    }
    if (width * height > maxPixels) {
        *why = QStringLiteral("%1 is %2 x %3 pixels, ").arg(what).arg(width).arg(height) +
               (raisedByOptions
                    ? QStringLiteral("more than the limit of %1 pixels (--max-pixels raises it)").arg(maxPixels)
                    : QStringLiteral("more than %1 MiB of image memory").arg(maxHeldBytes() >> 20));
        return false;
    }
    return true;
}

bool Limits::fitsPixels(std::int64_t pixels, QStringView what, QString *why) const
{
    if (pixels <= maxPixels)
        return true;
    *why = QStringLiteral("%1 are more than %2 pixels to decode").arg(what).arg(maxPixels) +
           (raisedByOptions ? QStringLiteral(" (--max-pixels raises the limit)")
                            : QStringLiteral(", more than %1 MiB of image memory").arg(maxHeldBytes() >> 20));
    return false;
}

bool Limits::reserve(std::int64_t bytes, QStringView what, Reservation *into, QString *why) const
{
    if (budget->take(*into, bytes))
        return true;
    const std::int64_t others = budget->held() - into->bytes();
    QString held;
    if (others > 0 && bytes <= maxHeldBytes())
        held = QStringLiteral(" beside the %1 bytes already held").arg(others);
    // What the reservation would hold in all: a buffer that grows piece by piece is named at its whole size.
    const std::int64_t whole = bytes > maxHeldBytes() ? bytes : bytes + into->bytes();
    *why = QStringLiteral("holding %1 whole takes %2 bytes%3, ").arg(what).arg(whole).arg(held) +
           (raisedByOptions
                ? QStringLiteral("more than the memory limit of %1 bytes (--max-memory raises it)").arg(maxHeldBytes())
                : QStringLiteral("more than %1 MiB of image memory").arg(maxHeldBytes() >> 20));
    return false;
}
