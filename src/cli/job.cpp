#include "job.h"

#include "cli/displays.h"
#include "cli/options.h"
#include "cli/report.h"
#include "export/cheader.h"
#include "export/filesave.h"
#include "decode/charsets.h"
#include "decode/decoder.h"
#include "decode/glyphs.h"

#include <QFile>

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

// The glyphs --font draws: the characters of --text, --text-file or --charset.
std::unique_ptr<GlyphSource> openGlyphs(const Options &options, QString *error)
{
    QList<char32_t> characters;
    if (!options.textFile.isEmpty()) {
        QFile file(options.textFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = onOneLine(options.textFile) + QStringLiteral(": ") + file.errorString();
            return nullptr;
        }
        characters = charactersOf(QString::fromUtf8(file.readAll()));
    } else if (!options.charset.isEmpty()) {
        characters = *charactersOfSet(options.charset);
    } else {
        characters = charactersOf(options.text);
    }
    GlyphOptions glyphs = options.glyphs;
    const PixelFormatTraits &traits = traitsOf(options.road.pack.pixel);
    if (options.road.pack.layout == Layout::Horizontal && traits.subByte())
        glyphs.widthStep = 8 / traits.bits; // a proportional cell fills whole bytes
    return GlyphSource::open(options.font, options.fontIndex, characters, glyphs, options.limits, error);
}

// The C header of a named C51 array: its sizes, its extern declaration, and those of the tables after it.
QByteArray headerFor(const RoadOptions &road, const Geometry &g, const FrameSource &frames)
{
    const EncodeOptions &encode = road.encode;
    const QString macro = encode.name.toUpper() + u'_';
    const QString bytes = macro + QStringLiteral("BYTES");
    QList<std::pair<QString, std::int64_t>> macros{{macro + QStringLiteral("WIDTH"), g.width},
                                                   {macro + QStringLiteral("HEIGHT"), g.height}};
    if (road.pack.layout == Layout::Vertical)
        macros.append({macro + QStringLiteral("PAGES"), g.packedHeight / 8});
    QStringList externs;
    if (frames.isTable()) {
        const QString count = macro + frames.countName();
        macros.append({count, g.frames});
        macros.append({bytes, g.frameBytes});
        externs << cArray(encode.dialect, encode.name, count + QStringLiteral("][") + bytes);
        for (const FrameTable &table : frames.tables())
            externs << QStringLiteral("%1 %2 %3[%4]")
                           .arg(table.bytes == 1 ? QStringLiteral("unsigned char") : QStringLiteral("unsigned int"),
                                encode.dialect == CDialect::Sdcc ? QStringLiteral("__code") : QStringLiteral("code"),
                                encode.name + table.suffix, count);
    } else {
        macros.append({bytes, g.dataBytes});
        externs << cArray(encode.dialect, encode.name, bytes);
    }
    const QString comment = codeHeader(CodeFormat::C51, encode.picfile, g.width, g.height, encode.stamp,
                                       encode.notes + pixelFormatNotes(road.pack));
    return encodeText(cHeaderText(comment, encode.name, macros, externs), encode.encoding).bytes;
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
    std::unique_ptr<PictureDecoder> decoder;
    std::unique_ptr<GlyphSource> glyphs;
    std::unique_ptr<FrameSource> single;
    if (options.font.isEmpty())
        decoder = openJobPicture(options, job, &error);
    else
        glyphs = openGlyphs(options, &error);
    if (!decoder && !glyphs) {
        report.complain(picture + QStringLiteral(": ") + error);
        return Refused;
    }
    if (decoder)
        single = std::make_unique<SinglePicture>(*decoder);
    FrameSource &frames = glyphs ? static_cast<FrameSource &>(*glyphs) : *single;
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
    const RoadResult result = runRoad(frames, road, sink);
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
    if (glyphs && glyphs->clipped())
        report.complain(picture + QStringLiteral(": warning: %1 of the %2 glyphs do not fit their cells and are cut "
                                                 "at the edges")
                                      .arg(glyphs->clipped())
                                      .arg(glyphs->count()));
    if (!job.header.isEmpty() && !saveFileAtomically(job.header, headerFor(road, g, frames), &error)) {
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
