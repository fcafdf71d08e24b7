#include "conversion.h"

#include "core/rowloops.h"

// With R, G and B the colour's bytes: G' = G * 256 / 255 rounded half to even is G + 1 from G = 128 on, and
// B' = B * 65536 / 65535 rounded is B itself. So R + G' + B' > 549 reads R + G + B + (G >= 128) > 549, and
// G' > 244 reads G >= 244: plain integer arithmetic, which the compiler runs on many pixels at once.
// (Written without branches, so that a row converts many pixels at a time.)
static inline bool whiteByBytes(unsigned r, unsigned g, unsigned b)
{
    return (r + g + b + (g >> 7) > 549) | (g >= 244);
}

TESSALINE_ROW_LOOP void convertRow(QRgb *pixels, int width, QRgb white, QRgb black)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        const QRgb isWhite = 0u - QRgb(whiteByBytes((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        pixels[x] = (white & isWhite) | (black & ~isWhite);
    }
}
