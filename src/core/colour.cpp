#include "colour.h"

void layOver(QRgb *pixels, int width, QRgb background)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        const int a = qAlpha(p);
        if (a == 255)
            continue;
        const auto over = [a](int c, int b) { return (c * a + b * (255 - a) + 127) / 255; };
        pixels[x] = qRgb(over(qRed(p), qRed(background)), over(qGreen(p), qGreen(background)),
                         over(qBlue(p), qBlue(background)));
    }
}
