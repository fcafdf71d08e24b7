// Writes the animated GIF the animation example shows: 64 x 32 pixels, 8 frames of 100 ms. The first draws the
// ground and a house and is kept; a ball (its corners clear, so the picture shows through) rolls along, each of
// its frames cleared again before the next (disposal 2); one frame flashes a star over everything, and is undone
// (disposal 3).
//   make_animation FILE

#include "support/testpictures.h"

#include <QCoreApplication>
#include <QPainter>

using namespace TestPictures;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0), clear = qRgb(0, 128, 0);
    QImage scene = solid(64, 32, white);
    for (int x = 0; x < 64; ++x)
        scene.setPixel(x, 28, black);
    for (int y = 18; y < 28; ++y)
        for (int x = 48; x < 58; ++x)
            if (y == 18 || y == 27 || x == 48 || x == 57 || (x > 51 && x < 54 && y > 22))
                scene.setPixel(x, y, black);
    QImage ball = solid(8, 8, clear);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((2 * x - 7) * (2 * x - 7) + (2 * y - 7) * (2 * y - 7) <= 56)
                ball.setPixel(x, y, black);
    QImage star = solid(64, 32, clear);
    for (int i = -6; i <= 6; ++i) {
        star.setPixel(20 + i, 10, black);
        star.setPixel(20, 10 + i, black);
        star.setPixel(20 + i, 10 + i, black);
        star.setPixel(20 + i, 10 - i, black);
    }
    QList<GifFrame> frames{{scene, {}, 1, 10, std::nullopt}};
    for (int k = 0; k < 6; ++k) {
        frames.append({ball, QPoint(2 + 7 * k, 19 - (k % 2) * 4), 2, 10, clear});
        if (k == 2)
            frames.append({star, {}, 3, 10, clear});
    }
    const QString file = QCoreApplication::arguments().value(1);
    return writeFile(file, encodeGif(frames, QSize(64, 32))) ? 0 : 1;
}
