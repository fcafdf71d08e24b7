#include "pixeltable.h"

#include "core/rowloops.h"

PixelTable::PixelTable(int width, int height, Reservation held)
    : width_(width), height_(height), held_(std::move(held)), cells_(std::size_t(width) * std::size_t(height), 0)
{
}

TESSALINE_ROW_LOOP void readPixelRow(const QRgb *pixels, int width, Colour blackcolor, std::uint8_t *entries)
{
    const QRgb black = rgbFromColour(blackcolor) & 0xFFFFFF;
    for (int x = 0; x < width; ++x)
        entries[x] = (pixels[x] & 0xFFFFFF) == black ? 1 : 0;
}
