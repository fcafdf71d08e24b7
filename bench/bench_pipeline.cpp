// Each step from picture file to data, on a 4000 x 3000 picture, and the window's whole export of a
// 1920 x 1080 picture (pixel read, A51 writer, file, code viewer filled) on the offscreen platform.
//   bench_pipeline [Google Benchmark options]     (bench/run builds and runs it)

#include "app/form1.h"
#include "app/platform.h"
#include "core/clock.h"
#include "export/windowwriters.h"
#include "export/filesave.h"
#include "export/road.h"
#include "export/textencoding.h"
#include "imaging/conversion.h"
#include "picture/windowpasses.h"
#include "imaging/pixeltable.h"
#include "decode/decoder.h"
#include "picture/picture.h"
#include "picture/picturesurface.h"
#include "windows/form2.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QImage photo(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 7 + y) & 0xFF, (y * 3 + x / 5) & 0xFF, ((x ^ y) * 5) & 0xFF);
    }
    return picture;
}

QByteArray encodedAs(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.write(image);
    return bytes;
}

const QImage &bigPhoto()
{
    static const QImage picture = photo(4000, 3000);
    return picture;
}

class NullSink : public ByteSink {
public:
    bool write(const char *, std::int64_t) override { return true; }
};

// Answers nothing and waits for nobody.
class QuietPlatform : public Platform {
public:
    QString directory;
    QString picture;
    void ShowOpen(OpenFileDialog &dialog) override { dialog.FileName = picture; }
    void messageBox(const QString &, const QString &, MessageIcon) override {}
    QSizeF screenSize() const override { return {3000 * 15, 2000 * 15}; }
    QRectF usableArea() const override { return {0, 0, 3000 * 15, 2000 * 15}; }
    QDateTime now() const override { return QDateTime(QDate(2002, 11, 15), QTime(14, 5, 9)); }
    QString programDirectory() const override { return directory; }
    QString commandLine() const override { return QString(); }
    void endProgram() override {}
};

void DecodeJpeg(benchmark::State &state)
{
    const QByteArray jpeg = encodedAs(bigPhoto(), "jpeg");
    for (auto _ : state)
        benchmark::DoNotOptimize(decodePicture(jpeg, Limits::window()));
}

void DecodeBmp(benchmark::State &state)
{
    const QByteArray bmp = encodedAs(bigPhoto(), "bmp");
    for (auto _ : state)
        benchmark::DoNotOptimize(decodePicture(bmp, Limits::window()));
}

void Conversion(benchmark::State &state)
{
    PictureSurface surface;
    for (auto _ : state) {
        state.PauseTiming();
        surface.setPicture(bigPhoto().copy());
        state.ResumeTiming();
        convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    }
}

void PixelTableRead(benchmark::State &state)
{
    PictureSurface surface;
    surface.setPicture(bigPhoto());
    for (auto _ : state)
        benchmark::DoNotOptimize(readPixelTable(surface, blackColour, {}, Limits::window()));
}

void Writer(benchmark::State &state)
{
    PictureSurface surface;
    surface.setPicture(bigPhoto());
    convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    const PixelTable table = readPixelTable(surface, blackColour, {}, Limits::window());
    const CodeStamp stamp = codeStampAt(QDateTime::currentDateTime());
    const auto format = CodeFormat(state.range(0));
    const QString name = QStringLiteral("bench.bmp");
    for (auto _ : state)
        benchmark::DoNotOptimize(format == CodeFormat::A51   ? writeA51(table, name, stamp, {}, Limits::window())
                                 : format == CodeFormat::C51 ? writeC51(table, name, stamp, {}, Limits::window())
                                                             : writeHex(table, {}, Limits::window()));
}

// The converter's whole road from a JPEG in memory to A51 text, with the conversion.
void ConverterRoad(benchmark::State &state)
{
    const QByteArray jpeg = encodedAs(bigPhoto(), "jpeg");
    RoadOptions options;
    options.tone.convert = true;
    NullSink sink;
    const Limits limits = Limits::withBudget(Limits::defaultMaxPixels, Limits::defaultMaxHeldBytes);
    for (auto _ : state) {
        Refusal error;
        const auto decoder = openPicture(memorySource(jpeg), PictureLimits{PictureFormats::AllFormats, limits}, &error);
        benchmark::DoNotOptimize(runRoad(*decoder, options, limits, sink));
    }
}

void WindowExport(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("export.bmp"));
    QImage image = photo(1920, 1080);
    image.save(picture, "BMP");
    QuietPlatform platform;
    platform.directory = dir.path();
    platform.picture = picture;
    Form1 form(platform);
    form.Form_Load();
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    form.Cmd_convert_Click();
    for (auto _ : state) {
        form.pixelinfoready = false; // read the pixels every time, as the first export does
        form.Cmd_outputcode_Click();
    }
    if (!form.codeViewer() || form.codetext.size() < 1000000)
        state.SkipWithError("the export made no text");
}

} // namespace

BENCHMARK(DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(Conversion)->Unit(benchmark::kMillisecond);
BENCHMARK(PixelTableRead)->Unit(benchmark::kMillisecond);
BENCHMARK(Writer)->Arg(int(CodeFormat::A51))->Arg(int(CodeFormat::Hex))->Unit(benchmark::kMillisecond);
BENCHMARK(ConverterRoad)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowExport)->Unit(benchmark::kMillisecond)->Repetitions(5);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
