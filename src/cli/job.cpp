#include "job.h"

#include "cli/displays.h"
#include "cli/options.h"
#include "cli/report.h"
#include "export/cheader.h"
#include "export/filesave.h"
#include "decode/decoder.h"

#include <cstdio>

namespace {

// Standard output, written as the road goes.
class StandardOutput : public ByteSink {
public:
    bool write(const char *data, std::int64_t size) override
    {
        if (std::fwrite(data, 1, std::size_t(size), stdout) == std::size_t(size) && std::fflush(stdout) == 0)
            return true;
        error_ = QStringLiteral("cannot write to standard output");
        return false;
    }
};

std::unique_ptr<PictureDecoder> openJobPicture(const Options &options, const Job &job, QString *error)
{
    const PictureLimits limits{PictureFormats::AllFormats, options.limits};
    if (job.picture != u"-")
        return openPicture(job.picture, limits, error);
    std::unique_ptr<ByteSource> input = openStandardInput(options.limits.maxHeldBytes, error);
    return input ? openPicture(std::move(input), limits, error) : nullptr;
}

// The C header of a named C51 array: its size and the picture's, and its extern declaration.
QByteArray headerFor(const RoadOptions &road, const Geometry &g)
{
    const EncodeOptions &encode = road.encode;
    const QString macro = encode.name.toUpper();
    QList<std::pair<QString, std::int64_t>> macros{{macro + QStringLiteral("_WIDTH"), g.width},
                                                   {macro + QStringLiteral("_HEIGHT"), g.height}};
    if (road.pack.layout == Layout::Vertical)
        macros.append({macro + QStringLiteral("_PAGES"), g.packedHeight / 8});
    macros.append({macro + QStringLiteral("_BYTES"), g.dataBytes});
    const QString comment = codeHeader(CodeFormat::C51, encode.picfile, g.width, g.height, encode.stamp,
                                       encode.notes + pixelFormatNotes(road.pack));
    const QString text = cHeaderText(comment, encode.name, macros,
                                     {cArray(encode.dialect, encode.name, macro + QStringLiteral("_BYTES"))});
    return encodeText(text, encode.encoding).bytes;
}

// Whether a picture of `g` fits the display's screen (either way round, where the display can turn its scan).
bool fitsDisplay(const Display &display, const Geometry &g)
{
    const auto fits = [&](int w, int h) { return g.width <= w && g.height <= h; };
    return fits(display.width, display.height) || (display.turns && fits(display.height, display.width));
}

} // namespace

int convertOne(const Options &options, const Job &job, Report &report)
{
    const QString picture = onOneLine(job.picture);
    QString error;
    const std::unique_ptr<PictureDecoder> decoder = openJobPicture(options, job, &error);
    if (!decoder) {
        report.complain(picture + QStringLiteral(": ") + error);
        return Refused;
    }
    RoadOptions road = options.road;
    road.encode.picfile = options.pictureName.isEmpty() ? job.picture : options.pictureName;
    road.encode.name = job.name;
    if (road.preview)
        road.preview = [&report](const QString &line) { report.preview(line); };

    StandardOutput standardOutput;
    OutputFile file;
    if (!job.output.isEmpty() && !file.open(job.output)) {
        report.complain(onOneLine(job.output) + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    ByteSink &sink = job.output.isEmpty() ? static_cast<ByteSink &>(standardOutput) : file;
    const RoadResult result = runRoad(*decoder, road, sink);
    if (!result.lossless)
        report.complain(picture + QStringLiteral(": warning: some characters of the header have no code in the "
                                                 "chosen encoding and were written as '?'"));
    if (!result.ok) {
        // A write that failed names the output; anything else is the picture's fault.
        const bool writeFailed = !sink.errorString().isEmpty() && result.error == sink.errorString();
        const QString where = writeFailed
                                  ? (job.output.isEmpty() ? QString() : onOneLine(job.output) + QStringLiteral(": "))
                                  : picture + QStringLiteral(": ");
        report.complain(
            where + result.error +
            (result.written && job.output.isEmpty() ? QStringLiteral(" (the output stops there)") : QString()));
        return Refused;
    }
    if (!job.output.isEmpty() && !file.commit()) {
        report.complain(onOneLine(job.output) + QStringLiteral(": ") + file.errorString());
        return Refused;
    }
    const Geometry &g = result.geometry;
    if (!job.header.isEmpty() && !saveFileAtomically(job.header, headerFor(road, g), &error)) {
        report.complain(onOneLine(job.header) + QStringLiteral(": ") + error);
        return Refused;
    }
    if (options.display && !fitsDisplay(*options.display, g))
        report.complain(picture + QStringLiteral(": warning: the picture is %1 x %2 pixels, larger than the %3's "
                                                 "screen of %4 x %5")
                                      .arg(g.width)
                                      .arg(g.height)
                                      .arg(QString::fromLatin1(options.display->name))
                                      .arg(options.display->width)
                                      .arg(options.display->height));
    const EncodeOptions &encode = road.encode;
    if (encode.format == OutputFormat::IntelHex && encode.address + g.dataBytes > 0x10000)
        report.complain(picture + QStringLiteral(": warning: the data ends at 0x%1, past the 8051's 64 KiB of code "
                                                 "space (0x0000 to 0xFFFF); no 8051 reaches it without banking")
                                      .arg(QString::number(encode.address + g.dataBytes - 1, 16).toUpper()));
    if (options.verbose) {
        report.complain(QStringLiteral("%1: %2 x %3 pixels, packed as %4 x %5, %6, %7 bytes of data")
                            .arg(picture)
                            .arg(g.width)
                            .arg(g.height)
                            .arg(g.packedWidth)
                            .arg(g.packedHeight)
                            .arg(QLatin1String(nameOf(encode.format)))
                            .arg(g.dataBytes));
        if (g.dataBytes > 65536)
            report.complain(QStringLiteral("%1: warning: %2 bytes of data, more than the 64 KiB (65536 bytes) that "
                                           "one 8051 code bank holds")
                                .arg(picture)
                                .arg(g.dataBytes));
    }
    return Success;
}
