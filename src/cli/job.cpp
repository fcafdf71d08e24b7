#include "job.h"

#include "cli/displays.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/warnings.h"
#include "decode/animation.h"
#include "glyphs/charsets.h"
#include "decode/decoder.h"
#include "glyphs/textpicture.h"
#include "decode/tiles.h"
#include "export/filesave.h"
#include "export/header.h"

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

std::unique_ptr<ByteSource> openJobBytes(const Limits &limits, const Job &job, Refusal *error)
{
    if (job.picture != u"-")
        return openFileSource(job.picture, error);
    return openStandardInput(limits, error);
}

// The glyphs --font draws: the characters of --charset, --range, --text, --text-file and --strings, in that
// order, each once; or the GB2312 grid.
std::unique_ptr<GlyphSource> openGlyphs(const Options &options, const Limits &limits, Refusal *error)
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
    distinct.add(options.renderText);
    if (!options.textFile.isEmpty()) {
        const std::optional<QList<char32_t>> read =
            charactersOfTextFile(options.textFile, options.textEncoding, limits, error);
        if (!read)
            return nullptr;
        add(*read);
    }
    std::optional<TextLines> strings;
    if (!options.stringsFile.isEmpty()) {
        strings = linesOfTextFile(options.stringsFile, options.textEncoding, limits, error);
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
    return GlyphSource::open(options.font, options.fontIndex, characters, glyphs, limits, error,
                             strings ? std::move(*strings) : TextLines{});
}

// The lines of --strings, as the glyph table holds them.
QStringList linesOfStrings(const GlyphSource &glyphs)
{
    QStringList lines;
    for (const FrameTable &table : glyphs.tables())
        if (table.kind == FrameValues::String)
            lines << table.comment;
    return lines;
}

// What one job reads: its frames, what they read from (a picture alone, or cut into tiles), and the glyph table
// where a font is drawn.
struct Opened {
    std::unique_ptr<PictureDecoder> picture;
    std::unique_ptr<FrameSource> frames;
    const GlyphSource *glyphs = nullptr;
};

// The frames of one job: a picture alone, its tiles, an animation's frames, or the glyphs of a font; no frames,
// with the reason, when they cannot be read.
Opened openFrames(const Options &options, const Limits &limits, const Job &job, Refusal *error)
{
    Opened opened;
    if (!options.font.isEmpty()) {
        std::unique_ptr<GlyphSource> glyphs = openGlyphs(options, limits, error);
        opened.glyphs = glyphs.get();
        if (!glyphs || !options.render) {
            opened.frames = std::move(glyphs);
            return opened;
        }
        // The text drawn as one picture: the lines of --strings unless a text is given.
        const QStringList lines =
            options.renderText.isEmpty() ? linesOfStrings(*glyphs) : QStringList{options.renderText};
        const QSize canvas = options.canvas.isValid() || !options.display
                                 ? options.canvas
                                 : QSize(options.display->width, options.display->height);
        opened.frames = RenderedText::open(std::move(glyphs), lines, options.renderAt, canvas, limits, error);
        if (!opened.frames)
            opened.glyphs = nullptr;
        return opened;
    }
    std::unique_ptr<ByteSource> bytes = openJobBytes(limits, job, error);
    if (!bytes)
        return opened;
    if (options.frames) {
        char magic[4] = {};
        bytes->readAt(0, magic, 4);
        if (QByteArrayView(magic, 4) != "GIF8")
            *error = Refusal::Rule::NotAGif;
        else
            opened.frames = GifAnimation::open(std::move(bytes), limits, error);
        return opened;
    }
    opened.picture = openPicture(std::move(bytes), PictureLimits{PictureFormats::AllFormats, limits}, error);
    if (opened.picture && options.tile.isValid())
        opened.frames = Tiles::cut(*opened.picture, options.tile, limits, error);
    else if (opened.picture)
        opened.frames = std::make_unique<SinglePicture>(*opened.picture);
    return opened;
}

// Writes the headers of a named output (--header's, and --c-header's for sdas) before the output takes its
// place, so that when one cannot be written the output stays as it was and they never disagree. What making one
// holds is reserved before: a declaration a table (a string's too) and its name, in lists, in the text as it
// grows, and encoded. False, with the refusal said, when one fails.
bool writeHeaders(const Limits &limits, const Job &job, const RoadOptions &road, const RoadResult &result,
                  const FrameSource &frames, Report &report)
{
    for (const auto &[file, inC] : {std::pair{job.header, false}, std::pair{job.cHeader, true}}) {
        if (file.isEmpty())
            continue;
        Refusal error;
        Reservation held;
        const std::int64_t arrays = result.arrays.size() + 2;
        const std::int64_t characters = arrays * (2 * std::int64_t(job.name.size()) + 48);
        if (!limits.reserve(7 * characters + 128 * arrays, {Subject::Thing::Header, file}, &held, &error)) {
            report.complain(job.picture + QStringLiteral(": ") + worded(error));
            return false;
        }
        if (!saveFileAtomically(file, headerText(road, result, frames, inC), &error)) {
            report.complain(file + QStringLiteral(": ") + worded(error));
            return false;
        }
    }
    return true;
}

} // namespace

int convertOne(const Options &options, const Limits &limits, const Job &job, Report &report)
{
    const QString &picture = job.picture;
    Refusal error;
    const Opened opened = openFrames(options, limits, job, &error);
    if (!opened.frames) { // a text file that cannot be decoded is named itself, not the font it is for
        const bool text = error.rule == Refusal::Rule::NotDecoded;
        report.complain((text ? error.subject.name : picture) + QStringLiteral(": ") + worded(error));
        return Refused;
    }
    FrameSource &frames = *opened.frames;
    RoadOptions road = options.road;
    road.encode.picfile = options.pictureName.isEmpty() ? job.picture : options.pictureName;
    road.encode.name = job.name;
    road.encode.font = opened.glyphs != nullptr;
    if (road.preview) {
        road.preview = [&report](const QString &line) { report.preview(line); };
        road.previewNote = [&report](const PreviewNote &note) {
            for (const QString &line : worded(note))
                report.preview(line);
        };
    }

    StandardOutput standardOutput;
    OutputFile file;
    if (!job.output.isEmpty() && !file.open(job.output)) {
        report.complain(job.output + QStringLiteral(": ") + worded(file.refusal()));
        return Refused;
    }
    ByteSink &sink = job.output.isEmpty() ? static_cast<ByteSink &>(standardOutput) : file;
    const RoadResult result = runRoad(frames, road, limits, sink);
    if (!result.lossless)
        report.complain(picture + QStringLiteral(": warning: some characters of the comments have no code in the "
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
    if (!writeHeaders(limits, job, road, result, frames, report))
        return Refused;
    if (!job.output.isEmpty() && !file.commit()) {
        report.complain(job.output + QStringLiteral(": ") + worded(file.refusal()));
        return Refused;
    }
    reportDone(options, job, road, result, opened.glyphs, report);
    reportScreenFit(options, picture, frames.count() > 0 ? frames.size(0) : QSize(), report);
    return Success;
}
