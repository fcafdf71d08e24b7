#include "windowpasses.h"

#include "core/rounding.h"
#include "core/texts.h"
#include "imaging/conversion.h"
#include "picture/picturesurface.h"

void convertToBlackAndWhite(PictureSurface &surface, Colour whitecolor, Colour blackcolor, const StatusSink &status)
{
    const QRgb white = rgbFromColour(whitecolor);
    const QRgb black = rgbFromColour(blackcolor);
    const int height = int(roundHalfEven(surface.ScaleHeight()));
    for (int currow = 0; currow < height; ++currow) {
        convertRow(surface.scanLine(currow), int(roundHalfEven(surface.ScaleWidth())), white, black);
        reportProgress(status, Texts::converting, currow, surface.ScaleHeight());
    }
}

PixelTable readPixelTable(const PictureSurface &surface, Colour blackcolor, const StatusSink &status,
                          const Limits &limits, Refusal *why)
{
    const int width = int(roundHalfEven(surface.ScaleWidth()));
    const int height = int(roundHalfEven(surface.ScaleHeight()));
    Reservation held;
    Refusal refused;
    if (!limits.reserve(std::int64_t(width) * height, Subject::Thing::PictureHeld, &held, why ? why : &refused))
        return {};
    PixelTable pixelinfo(width, height, std::move(held));
    for (int currow = 0; currow < height; ++currow) {
        readPixelRow(surface.constScanLine(currow), width, blackcolor, pixelinfo.row(currow));
        reportProgress(status, Texts::readingPixels, currow, surface.ScaleHeight());
    }
    return pixelinfo;
}
