// Times each step from picture file to data on a large picture and prints the peak memory.
//   bench_pipeline [WIDTH HEIGHT]   (default 8000 x 6000)

#include "core/clock.h"
#include "export/codewriters.h"
#include "export/textencoding.h"
#include "imaging/conversion.h"
#include "imaging/pixeltable.h"
#include "picture/picture.h"
#include "picture/picturesurface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

// Runs `step` `runs` times and prints the fastest time.
void measure(const char *name, int runs, const std::function<void()> &step)
{
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(timer.nsecsElapsed());
    }
    std::printf("%-28s %9.1f ms\n", name, double(*std::min_element(times.begin(), times.end())) / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int width = argc > 2 ? std::atoi(argv[1]) : 8000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 6000;
    const int runs = 3;

    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 7) & 0xFF, (y * 3) & 0xFF, ((x ^ y) * 5) & 0xFF);
    }
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("bench.bmp"));
    const QString jpeg = dir.filePath(QStringLiteral("bench.jpg"));
    picture.save(bmp, "BMP");
    picture.save(jpeg, "JPEG", 90);
    std::printf("picture %d x %d\n", width, height);

    LoadedPicture loaded;
    measure("decode BMP (24 bit)", runs, [&] { loaded = LoadPicture(bmp); });
    measure("decode JPEG", runs, [&] { loaded = LoadPicture(jpeg); });
    PictureSurface surface;
    measure("convert to black and white", runs, [&] {
        surface.setPicture(loaded.picture);
        convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    });
    PixelTable table;
    measure("read pixel table", runs, [&] { table = readPixelTable(surface, blackColour, {}); });
    const CodeStamp stamp = codeStampAt(reproducibleNow());
    GeneratedCode code;
    measure("A51 writer", runs, [&] { code = writeA51(table, bmp, stamp, {}); });
    measure("encode A51 text as GBK", runs, [&] { encodeText(code.codetext, TextEncoding::Gbk); });
    measure("C51 writer", runs, [&] { code = writeC51(table, bmp, stamp, {}); });
    measure("HEX writer", runs, [&] { code = writeHex(table, {}); });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory        %9.1f MiB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
