#include "picturesurface.h"

#include "core/rounding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

QImage blankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(PictureSurface::background);
    return image;
}

} // namespace

PictureSurface::PictureSurface() : pixels_(blankImage(400, 300)) {}

void PictureSurface::setPicture(QImage picture, Reservation held)
{
    held_ = std::move(held);
    if (picture.isNull()) {
        // A fresh blank rather than filling the old pixels, which may still be shared with the decoded copy.
        pixels_ = blankImage(pixels_.width(), pixels_.height());
        hasPicture_ = false;
        return;
    }
    if (picture.format() != QImage::Format_RGB32)
        picture.convertTo(QImage::Format_RGB32);
    pixels_ = std::move(picture);
    hasPicture_ = true;
}

Colour PictureSurface::Point(int x, int y) const
{
    if (x < 0 || y < 0 || x >= pixels_.width() || y >= pixels_.height())
        return colourFromRgb(background);
    return colourFromRgb(constScanLine(y)[x]);
}

void PictureSurface::PSet(int x, int y, Colour colour)
{
    if (x < 0 || y < 0 || x >= pixels_.width() || y >= pixels_.height())
        return;
    scanLine(y)[x] = rgbFromColour(colour);
}

int PictureSurface::innerPixels(float outerTwips)
{
    return std::max(0, pixelsFromTwips(outerTwips) - 2 * borderPixels);
}

void PictureSurface::resizeInner(int width, int height)
{
    if (width == pixels_.width() && height == pixels_.height())
        return;
    QImage resized = blankImage(width, height);
    if (!hasPicture_) {
        pixels_ = std::move(resized); // nothing but background to keep
        return;
    }
    const int rows = std::min(height, pixels_.height());
    const std::size_t rowBytes = std::size_t(std::min(width, pixels_.width())) * sizeof(QRgb);
    for (int y = 0; y < rows; ++y)
        std::memcpy(resized.scanLine(y), pixels_.constScanLine(y), rowBytes);
    pixels_ = std::move(resized);
}

bool hasByteAlignedWidth(const PictureSurface &surface)
{
    return std::int64_t(roundHalfEven(surface.ScaleWidth())) % 8 == 0;
}
