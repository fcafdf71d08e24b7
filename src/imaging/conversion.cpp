#include "conversion.h"

#include "core/rounding.h"
#include "core/texts.h"
#include "picture/picturesurface.h"

#include <array>

namespace {

// G' and B' for every green and blue byte, computed once by the formula itself.
struct Terms {
    std::array<int, 256> green{};
    std::array<int, 256> blue{};
};

const Terms &terms()
{
    static const Terms table = [] {
        Terms t;
        for (unsigned v = 0; v < 256; ++v) {
            t.green[v] = int(roundHalfEven(double(v << 8) / 255.0));
            t.blue[v] = int(roundHalfEven(double(v << 16) / 65535.0));
        }
        return t;
    }();
    return table;
}

} // namespace

bool convertsToWhite(Colour c)
{
    const Terms &t = terms();
    const int red = int(c & 0xFF);
    const int green = t.green[(c >> 8) & 0xFF];
    const int blue = t.blue[(c >> 16) & 0xFF];
    return red + green + blue > 549 || green > 244;
}

void convertToBlackAndWhite(PictureSurface &surface, Colour whitecolor, Colour blackcolor, const StatusSink &status)
{
    const QRgb white = rgbFromColour(whitecolor);
    const QRgb black = rgbFromColour(blackcolor);
    const int height = int(roundHalfEven(surface.ScaleHeight()));
    for (int currow = 0; currow < height; ++currow) {
        const int width = int(roundHalfEven(surface.ScaleWidth()));
        QRgb *pixels = surface.scanLine(currow);
        for (int curcol = 0; curcol < width; ++curcol)
            pixels[curcol] = convertsToWhite(colourFromRgb(pixels[curcol])) ? white : black;
        reportProgress(status, Texts::converting, currow, surface.ScaleHeight());
    }
}
