#include "job.h"

#include "cli/displays.h"
#include "cli/options.h"
#include "cli/report.h"
#include "export/cheader.h"
#include "export/filesave.h"
#include "export/framelayout.h"
#include "decode/charsets.h"
#include "decode/decoder.h"
#include "decode/animation.h"
#include "decode/glyphs.h"
#include "decode/tiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Standard output, written as the road goes.
class StandardOutput : public ByteSink {
public:
    bool write(const char *data, std::int64_t size) override
    {
        if (std::fwrite(data, 1, std::size_t(size), stdout) == std::size_t(size) && std::fflush(stdout) == 0)
            return true;
        error_ = Refusal(Refusal::Rule::WriteFailed, Subject::Thing::Output)
                     .saying(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
};

std::unique_ptr<ByteSource> openJobBytes(const Options &options, const Job &job, Refusal *error)
{
    if (job.picture != u"-")
        return openFileSource(job.picture, error);
    return openStandardInput(options.limits, error);
}

// The frames of one job: a picture alone, its tiles, an animation's frames, or the glyphs of a font; null, with
// the reason, when they cannot be read. `picture` keeps what the frames read from.
std::unique_ptr<FrameSource> openFrames(const Options &options, const Job &job,
                                        std::unique_ptr<PictureDecoder> *picture, Refusal *error);

// The glyphs --font draws: the characters of --charset, --range, --text, --text-file and --strings, in that
// order, each once; or the GB2312 grid.
std::unique_ptr<GlyphSource> openGlyphs(const Options &options, Refusal *error)
{
    QList<char32_t> characters;
    DistinctCharacters distinct;
    const auto add = [&](const QList<char32_t> &more) {
        distinct.add(QString::fromUcs4(more.constData(), more.size()));
    };
    if (!options.charset.isEmpty())
        add(*charactersOfSet(options.charset));
    if (!options.range.isEmpty())
        add(*charactersOfRanges(options.range, maxGlyphs));
    distinct.add(options.text);
    if (!options.textFile.isEmpty()) {
        const std::optional<QList<char32_t>> read = charactersOfTextFile(options.textFile, options.limits, error);
        if (!read)
            return nullptr;
        add(*read);
    }
    std::optional<TextLines> strings;
    if (!options.stringsFile.isEmpty()) {
        strings = linesOfTextFile(options.stringsFile, options.limits, error);
        if (!strings)
            return nullptr;
        for (const QString &line : std::as_const(strings->lines))
            distinct.add(line);
    }
    characters = options.glyphs.grid ? gb2312Grid() : distinct.list;
    if (characters.size() > maxGlyphs) {
        *error = Refusal::of(Refusal::Rule::Characters, {}, characters.size(), maxGlyphs);
        return nullptr;
    }
    GlyphOptions glyphs = options.glyphs;
    const PixelFormatTraits &traits = traitsOf(options.road.pixel);
    if (options.road.pack.layout == Layout::Horizontal && traits.subByte())
        glyphs.widthStep = 8 / traits.bits; // a proportional cell fills whole bytes
    glyphs.grey = !traits.mono();           // grey levels show a glyph's edges anti-aliased
    return GlyphSource::open(options.font, options.fontIndex, characters, glyphs, options.limits, error,
                             strings ? std::move(*strings) : TextLines{});
}

// The C header of a named C51 array: its sizes, its extern declaration, and those of the tables after it.
QByteArray headerFor(const RoadOptions &road, const RoadResult &result, const FrameSource &frames)
{
    const Geometry &g = result.geometry;
    const EncodeOptions &encode = road.encode;
    const QString macro = encode.name.toUpper() + u'_';
    const QString bytes = macro + QStringLiteral("BYTES");
    QList<std::pair<QString, QString>> macros;
    const auto define = [&](const QString &name, std::int64_t value) { macros.append({name, QString::number(value)}); };
    define(macro + QStringLiteral("WIDTH"), g.width);
    define(macro + QStringLiteral("HEIGHT"), g.height);
    if (road.pack.layout == Layout::Vertical)
        define(macro + QStringLiteral("PAGES"), g.packedHeight / 8);
    for (const auto &[suffix, value] : formatMacros(road.pixel, road.pack))
        macros.append({macro + suffix, value});
    QStringList externs;
    QStringList arrays{encode.name}; // the arrays' names, as an assembler's header declares them
    const FrameLayout layout = layoutOf(frames.kind(), frames.count());
    const QString count = macro + layout.countName;
    if (road.compress || frames.tight()) { // the frames one after the other, and where each starts
        const QString size = macro + QStringLiteral("SIZE");
        define(count, g.frames);
        define(bytes, g.frameBytes);
        define(size, road.compress ? result.compressedBytes : g.dataBytes);
        externs << cArray(encode.dialect, encode.name, size)
                << cArray(encode.dialect, result.offsetBytes, encode.name + QStringLiteral("_offsets"),
                          count + QStringLiteral(" + 1"));
        arrays << encode.name + QStringLiteral("_offsets");
    } else if (layout.table) {
        define(count, g.frames);
        define(bytes, g.frameBytes);
        externs << cArray(encode.dialect, encode.name, count + QStringLiteral("][") + bytes);
    } else {
        define(bytes, g.dataBytes);
        externs << cArray(encode.dialect, encode.name, bytes);
    }
    const auto *glyphs = dynamic_cast<const GlyphSource *>(&frames);
    int strings = 0;
    for (const FrameTable &table : frames.tables()) {
        const TableLayout t = layoutOf(table);
        const QString size = table.kind == FrameValues::String  ? QString::number(table.values.size())
                             : table.kind == FrameValues::Boxes ? count + QStringLiteral(" * 5")
                                                                : count;
        strings += table.kind == FrameValues::String;
        externs << cArray(encode.dialect, t.bytes, encode.name + t.suffix, size);
        arrays << encode.name + t.suffix;
    }
    if (glyphs && glyphs->grid()) // where the cell of a GB2312 code starts in the table's bytes
        macros.append({macro + QStringLiteral("CELL(c1, c2)"),
                       QStringLiteral("((((unsigned long)(c1) - 0xA1) * 94 + ((c2) - 0xA1)) * %1)").arg(bytes)});
    if (strings) {
        define(macro + QStringLiteral("STRINGS"), strings);
        macros.append(
            {macro + QStringLiteral("END"), QStringLiteral("0x") + QString::number(glyphs->endMark(), 16).toUpper()});
    }
    const CodeFormat format = codeFormatOf(encode.format);
    const QString comment = codeHeader(format, encode.picfile, g.width, g.height, encode.stamp,
                                       encode.notes + pixelFormatNotes(road.pixel, road.pack), encode.font);
    const QString text =
        format == CodeFormat::C51
            ? cHeaderText(comment, encode.name, formatConstants(), macros, externs)
            : assemblerHeaderText(format == CodeFormat::Sdas, comment, formatConstants(), macros, arrays);
    return encodeText(text, encode.encoding).bytes;
}

// Whether a picture of `g` fits the display's screen (either way round, where the display can turn its scan).
bool fitsDisplay(const Display &display, const Geometry &g)
{
    const auto fits = [&](int w, int h) { return g.width <= w && g.height <= h; };
    return fits(display.width, display.height) || (display.turns && fits(display.height, display.width));
}

std::unique_ptr<FrameSource> openFrames(const Options &options, const Job &job,
                                        std::unique_ptr<PictureDecoder> *picture, Refusal *error)
{
    if (!options.font.isEmpty())
        return openGlyphs(options, error);
    std::unique_ptr<ByteSource> bytes = openJobBytes(options, job, error);
    if (!bytes)
        return nullptr;
    if (options.frames) {
        char magic[4] = {};
        bytes->readAt(0, magic, 4);
        if (QByteArrayView(magic, 4) != "GIF8") {
            *error = Refusal::Rule::NotAGif;
            return nullptr;
        }
        return GifAnimation::open(std::move(bytes), options.limits, error);
    }
    *picture = openPicture(std::move(bytes), PictureLimits{PictureFormats::AllFormats, options.limits}, error);
    if (!*picture)
        return nullptr;
    if (options.tile.isValid())
        return Tiles::cut(**picture, options.tile, options.limits, error);
    return std::make_unique<SinglePicture>(**picture);
}

} // namespace

namespace {
// The warnings, and with --verbose the sizes, of a conversion that succeeded.
// The glyphs cut at their cells' edges, the first ten named, and what would fit them.
QString cutWords(const GlyphSource &glyphs, const Options &options)
{
    const QList<char32_t> &cut = glyphs.cut();
    QStringList named;
    for (qsizetype i = 0; i < std::min<qsizetype>(cut.size(), 10); ++i)
        named << characterLabel(cut[i]);
    if (cut.size() > 10)
        named << QStringLiteral("%1 more").arg(cut.size() - 10);
    QString text = QStringLiteral("%1 of the %2 glyphs do not fit their cells and are cut at the edges: %3")
                       .arg(cut.size())
                       .arg(glyphs.count())
                       .arg(named.join(QStringLiteral(", ")));
    if (glyphs.cutDown())
        text += options.glyphs.cell.isValid() || glyphs.bitmapFont() ? QStringLiteral(" (a taller --cell fits them)")
                                                                     : QStringLiteral(" (a larger --size fits them)");
    else if (options.glyphs.cell.isValid())
        text += QStringLiteral(" (a wider --cell fits them, or --proportional)");
    else if (!options.glyphs.proportional)
        text += QStringLiteral(" (--proportional fits each glyph's width, or a monospaced face)");
    return text;
}

void reportDone(const Options &options, const Job &job, const RoadOptions &road, const RoadResult &result,
                const FrameSource &frames, Report &report);
} // namespace

int convertOne(const Options &options, const Job &job, Report &report)
{
    const QString &picture = job.picture;
    Refusal error;
    std::unique_ptr<PictureDecoder> decoder;
    const std::unique_ptr<FrameSource> source = openFrames(options, job, &decoder, &error);
    if (!source) {
        report.complain(picture + QStringLiteral(": ") + worded(error));
        return Refused;
    }
    FrameSource &frames = *source;
    const auto *glyphs = dynamic_cast<const GlyphSource *>(source.get());
    RoadOptions road = options.road;
    road.encode.picfile = options.pictureName.isEmpty() ? job.picture : options.pictureName;
    road.encode.name = job.name;
    road.encode.font = glyphs != nullptr;
    if (road.preview)
        road.preview = [&report](const QString &line) { report.preview(line); };

    StandardOutput standardOutput;
    OutputFile file;
    if (!job.output.isEmpty() && !file.open(job.output)) {
        report.complain(job.output + QStringLiteral(": ") + worded(file.refusal()));
        return Refused;
    }
    ByteSink &sink = job.output.isEmpty() ? static_cast<ByteSink &>(standardOutput) : file;
    const RoadResult result = runRoad(frames, road, sink);
    if (!result.lossless)
        report.complain(picture + QStringLiteral(": warning: some characters of the header have no code in the "
                                                 "chosen encoding and were written as '?'"));
    if (!result.ok) {
        // A write that failed names the output; anything else is the picture's fault.
        const bool writeFailed = result.error.rule == Refusal::Rule::WriteFailed;
        const QString where = writeFailed ? (job.output.isEmpty() ? QString() : job.output + QStringLiteral(": "))
                                          : picture + QStringLiteral(": ");
        report.complain(
            where + worded(result.error) +
            (result.written && job.output.isEmpty() ? QStringLiteral(" (the output stops there)") : QString()));
        return Refused;
    }
    // The header first: when it cannot be written the output stays as it was, and the two never disagree. What
    // making it holds is reserved first: a declaration a table (a string's too) and its name, in lists, in the
    // text as it grows, and encoded.
    Reservation headerHeld;
    const std::int64_t headerCharacters = (frames.tables().size() + 2) * (2 * std::int64_t(job.name.size()) + 48);
    const std::int64_t headerBytes = 7 * headerCharacters + 128 * (frames.tables().size() + 2);
    if (!job.header.isEmpty() &&
        !options.limits.reserve(headerBytes, {Subject::Thing::Header, 0, job.header}, &headerHeld, &error)) {
        report.complain(picture + QStringLiteral(": ") + worded(error));
        return Refused;
    }
    if (!job.header.isEmpty() && !saveFileAtomically(job.header, headerFor(road, result, frames), &error)) {
        report.complain(job.header + QStringLiteral(": ") + worded(error));
        return Refused;
    }
    if (!job.output.isEmpty() && !file.commit()) {
        report.complain(job.output + QStringLiteral(": ") + worded(file.refusal()));
        return Refused;
    }
    reportDone(options, job, road, result, frames, report);
    return Success;
}

namespace {

void reportDone(const Options &options, const Job &job, const RoadOptions &road, const RoadResult &result,
                const FrameSource &frames, Report &report)
{
    const auto *glyphs = dynamic_cast<const GlyphSource *>(&frames);
    const QString &picture = job.picture;
    const Geometry &g = result.geometry;
    if (glyphs && !glyphs->cut().isEmpty())
        report.complain(picture + QStringLiteral(": warning: ") + cutWords(*glyphs, options));
    if (options.display && !fitsDisplay(*options.display, g))
        report.complain(picture + QStringLiteral(": warning: the picture is %1 x %2 pixels, larger than the %3's "
                                                 "screen of %4 x %5")
                                      .arg(g.width)
                                      .arg(g.height)
                                      .arg(QString::fromLatin1(options.display->name))
                                      .arg(options.display->width)
                                      .arg(options.display->height));
    const EncodeOptions &encode = road.encode;
    const std::int64_t written = road.compress ? result.compressedBytes : g.dataBytes; // the bytes in flash
    if (encode.format == OutputFormat::IntelHex && encode.address + written > 0x10000)
        report.complain(picture + QStringLiteral(": warning: the data ends at 0x%1, past the 8051's 64 KiB of code "
                                                 "space (0x0000 to 0xFFFF); no 8051 reaches it without banking")
                                      .arg(QString::number(encode.address + written - 1, 16).toUpper()));
    if (options.verbose && road.compress)
        report.complain(
            QStringLiteral("%1: %2 %3 of %4 bytes, %5 bytes packed into %6 (%7 %)")
                .arg(picture)
                .arg(g.frames)
                .arg(g.frames == 1 ? QStringLiteral("frame") : QStringLiteral("frames"))
                .arg(g.frameBytes)
                .arg(g.dataBytes)
                .arg(result.compressedBytes)
                .arg(g.dataBytes ? 100.0 * double(result.compressedBytes) / double(g.dataBytes) : 100.0, 0, 'f', 1));
    if (options.verbose) {
        report.complain(QStringLiteral("%1: %2 x %3 pixels, packed as %4 x %5, %6, %7 bytes of data")
                            .arg(picture)
                            .arg(g.width)
                            .arg(g.height)
                            .arg(g.packedWidth)
                            .arg(g.packedHeight)
                            .arg(QLatin1String(nameOf(encode.format)))
                            .arg(g.dataBytes));
    }
    // An 8051 addresses 64 KiB of code: an A51, C51 or sdas table past that does not fit one bank. (Intel HEX says
    // where its data ends; raw bytes go to a flash of their own.)
    if (!isCodeText(encode.format))
        return;
    const auto warnPast64K = [&](const QString &name, std::int64_t bytes) {
        if (bytes > 65536)
            report.complain(QStringLiteral("%1: warning: %2 takes %3 bytes, more than the 64 KiB (65536 bytes) that "
                                           "one 8051 code bank holds")
                                .arg(picture, name)
                                .arg(bytes));
    };
    warnPast64K(encode.name.isEmpty() ? QStringLiteral("the data") : encode.name, written);
    for (const FrameTable &table : frames.tables())
        if (const TableLayout t = layoutOf(table); std::int64_t(table.values.size()) * t.bytes > 65536)
            warnPast64K(encode.name + t.suffix, std::int64_t(table.values.size()) * t.bytes);
}

} // namespace
