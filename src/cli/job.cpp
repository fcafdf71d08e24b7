#include "job.h"

#include "cli/options.h"
#include "cli/report.h"
#include "export/cheader.h"
#include "export/filesave.h"
#include "picture/decoder.h"

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
QByteArray headerFor(const RoadOptions &road, const RoadResult &result)
{
    const QString macro = road.name.toUpper();
    QList<std::pair<QString, std::int64_t>> macros{{macro + QStringLiteral("_WIDTH"), result.width},
                                                   {macro + QStringLiteral("_HEIGHT"), result.height}};
    if (road.layout == Layout::Vertical)
        macros.append({macro + QStringLiteral("_PAGES"), result.packedHeight / 8});
    macros.append({macro + QStringLiteral("_BYTES"), result.dataBytes});
    const QString comment = codeHeader(CodeFormat::C51, road.picfile, result.width, result.height, road.stamp);
    const QString text =
        cHeaderText(comment, road.name, macros, {cArray(road.dialect, road.name, macro + QStringLiteral("_BYTES"))});
    return encodeText(text, road.encoding).bytes;
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
    road.picfile = options.pictureName.isEmpty() ? job.picture : options.pictureName;
    road.name = job.name;
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
    if (!job.header.isEmpty() && !saveFileAtomically(job.header, headerFor(road, result), &error)) {
        report.complain(onOneLine(job.header) + QStringLiteral(": ") + error);
        return Refused;
    }
    if (road.format == OutputFormat::IntelHex && road.address + result.dataBytes > 0x10000)
        report.complain(picture + QStringLiteral(": warning: the data ends at 0x%1, past the 8051's 64 KiB of code "
                                                 "space (0x0000 to 0xFFFF); no 8051 reaches it without banking")
                                      .arg(QString::number(road.address + result.dataBytes - 1, 16).toUpper()));
    if (options.verbose) {
        static const char *const formats[] = {"a51", "c51", "hex", "ihex", "pbm"};
        report.complain(QStringLiteral("%1: %2 x %3 pixels, packed as %4 x %5, %6, %7 bytes of data")
                            .arg(picture)
                            .arg(result.width)
                            .arg(result.height)
                            .arg(result.packedWidth)
                            .arg(result.packedHeight)
                            .arg(QLatin1String(formats[int(road.format)]))
                            .arg(result.dataBytes));
        if (result.dataBytes > 65536)
            report.complain(QStringLiteral("%1: warning: %2 bytes of data, more than the 64 KiB (65536 bytes) that "
                                           "one 8051 code bank holds")
                                .arg(picture)
                                .arg(result.dataBytes));
    }
    return Success;
}
