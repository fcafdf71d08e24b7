#include "pixeltable.h"

#include "core/rounding.h"
#include "core/texts.h"
#include "picture/picturesurface.h"

PixelTable::PixelTable(int width, int height)
    : width_(width), height_(height), cells_(std::size_t(width) * std::size_t(height), 0)
{
}

std::uint8_t PixelTable::packedByte(int c, int y) const
{
    const std::uint8_t *p = row(y) + 8 * c;
    return std::uint8_t(p[0] << 7 | p[1] << 6 | p[2] << 5 | p[3] << 4 | p[4] << 3 | p[5] << 2 | p[6] << 1 | p[7]);
}

PackedPosition packedPositionOf(int x, int y, int width)
{
    return {std::int64_t(y) * (width / 8) + x / 8, 7 - x % 8};
}

PixelTable readPixelTable(const PictureSurface &surface, Colour blackcolor, const StatusSink &status)
{
    const int width = int(roundHalfEven(surface.ScaleWidth()));
    const int height = int(roundHalfEven(surface.ScaleHeight()));
    PixelTable pixelinfo(width, height);
    for (int currow = 0; currow < height; ++currow) {
        const QRgb *pixels = surface.constScanLine(currow);
        std::uint8_t *entries = pixelinfo.row(currow);
        for (int curcol = 0; curcol < width; ++curcol)
            entries[curcol] = colourFromRgb(pixels[curcol]) == blackcolor ? 1 : 0;
        reportProgress(status, Texts::readingPixels, currow, surface.ScaleHeight());
    }
    return pixelinfo;
}
