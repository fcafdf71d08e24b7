#include "limits.h"

Limits Limits::window()
{
    constexpr std::int64_t imageMemory = std::int64_t(256) << 20;
    return {imageMemory / 4, imageMemory, false};
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
                    : QStringLiteral("more than %1 MiB of image memory").arg(maxHeldBytes >> 20));
        return false;
    }
    return true;
}

bool Limits::fitsHeld(std::int64_t bytes, QStringView what, QString *why) const
{
    if (bytes <= maxHeldBytes)
        return true;
    *why = QStringLiteral("holding %1 whole takes %2 bytes, ").arg(what).arg(bytes) +
           (raisedByOptions
                ? QStringLiteral("more than the memory limit of %1 bytes (--max-memory raises it)").arg(maxHeldBytes)
                : QStringLiteral("more than %1 MiB of image memory").arg(maxHeldBytes >> 20));
    return false;
}
