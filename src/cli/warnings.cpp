#include "warnings.h"

#include "cli/displays.h"
#include "cli/job.h"
#include "cli/options.h"
#include "cli/report.h"
#include "glyphs/charsets.h"
#include "glyphs/glyphtable.h"
#include "export/roadstages.h"

namespace {

// What an 8051 addresses of code, 64 KiB: one bank.
constexpr std::int64_t codeSpace = 0x10000;

// The glyphs cut at their cells' edges, the first ten named, and what would fit them.
QString cutWords(const GlyphSource &glyphs, const Options &options)
{
    const QList<char32_t> &cut = glyphs.cut();
    QStringList named;
    for (qsizetype i = 0; i < std::min<qsizetype>(cut.size(), 10); ++i)
        named << characterLabel(cut[i]);
    if (cut.size() > 10)
        named << QStringLiteral("%1 more").arg(cut.size() - 10);
    QString text =
        QStringLiteral("%1 of the %2 glyphs %3 not fit %4 and %5 cut at the edges: %6")
            .arg(cut.size())
            .arg(glyphs.count())
            .arg(cut.size() == 1 ? QStringLiteral("does") : QStringLiteral("do"),
                 cut.size() == 1 ? QStringLiteral("its cell") : QStringLiteral("their cells"),
                 cut.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"), named.join(QStringLiteral(", ")));
    if (glyphs.cutDown())
        text += options.glyphs.cell.isValid() || glyphs.bitmapFont() ? QStringLiteral(" (a taller --cell fits them)")
                                                                     : QStringLiteral(" (a larger --size fits them)");
    else if (options.glyphs.cell.isValid())
        text += QStringLiteral(" (a wider --cell fits them, or --proportional)");
    else if (!options.glyphs.proportional)
        text += QStringLiteral(" (--proportional fits each glyph's width, or a monospaced face)");
    return text;
}

// Whether a picture of `g` fits the display's screen (either way round, where the display can turn its scan).
bool fitsDisplay(const DisplayController &display, const Geometry &g)
{
    const auto fits = [&](int w, int h) { return g.width <= w && g.height <= h; };
    return fits(display.width, display.height) || (display.turns && fits(display.height, display.width));
}

// The bytes in flash: packed, what the packing made.
std::int64_t flashBytes(const RoadOptions &road, const RoadResult &result)
{
    return road.compress ? result.compressedBytes : result.geometry.dataBytes;
}

// What the picture lost or did not fit: glyphs cut, a mask of nothing, greys taken for white, a display too small.
void pictureWarnings(const Options &options, const QString &picture, const RoadOptions &road, const RoadResult &result,
                     const GlyphSource *glyphs, Report &report)
{
    const Geometry &g = result.geometry;
    // Drawn as a picture of the text, each glyph lies whole where its box puts it: no cell cuts it.
    if (glyphs && !glyphs->cut().isEmpty() && !options.render)
        report.complain(picture + QStringLiteral(": warning: ") + cutWords(*glyphs, options));
    if (road.mask && result.transparent == 0)
        report.complain(picture + QStringLiteral(": warning: the picture has no transparent pixel: %1_mask is all "
                                                 "ones")
                                      .arg(road.encode.name));
    if (result.greysAsWhite > 0)
        report.complain(picture + QStringLiteral(": warning: %1 pixels are neither black nor white and were taken for "
                                                 "white, as only exact black is black by default (--threshold 128 "
                                                 "or --dither keeps their greys)")
                                      .arg(result.greysAsWhite));
    if (options.display && !fitsDisplay(*options.display, g))
        report.complain(picture + QStringLiteral(": warning: the picture is %1 x %2 pixels, larger than the %3's "
                                                 "screen of %4 x %5 (--fit or --fill brings it to the screen)")
                                      .arg(g.width)
                                      .arg(g.height)
                                      .arg(QString::fromLatin1(options.display->name))
                                      .arg(options.display->width)
                                      .arg(options.display->height));
}

// Intel HEX past the 8051's code space; packing that made the data larger.
void packedWarnings(const QString &picture, const RoadOptions &road, const RoadResult &result, Report &report)
{
    const Geometry &g = result.geometry;
    const EncodeOptions &encode = road.encode;
    const std::int64_t written = flashBytes(road, result);
    if (encode.format == OutputFormat::IntelHex && encode.address + written > codeSpace)
        report.complain(picture + QStringLiteral(": warning: the data ends at 0x%1, past the 8051's 64 KiB of code "
                                                 "space (0x0000 to 0xFFFF); no 8051 reaches it without banking")
                                      .arg(QString::number(encode.address + written - 1, 16).toUpper()));
    if (road.compress && result.compressedBytes > g.dataBytes)
        report.complain(picture +
                        QStringLiteral(": warning: --compress %4 made the data larger, %1 bytes packed into "
                                       "%2%3 (leave --compress out)")
                            .arg(g.dataBytes)
                            .arg(result.compressedBytes)
                            .arg(traitsOf(road.pixel).bits > 8 && result.codec == Codec::PackBits
                                     ? QStringLiteral(": its runs are of bytes, and a run of %1 pixels of one colour "
                                                      "alternates bytes")
                                           .arg(QString::fromLatin1(traitsOf(road.pixel).name))
                                     : QString())
                            .arg(result.codec == Codec::Lz4 ? QStringLiteral("lz") : QStringLiteral("packbits")));
}

// What the data is of: a picture's size, or a glyph table's glyphs and their cells.
QString sizeWords(const RoadResult &result)
{
    const Geometry &g = result.geometry;
    const QString size = QStringLiteral("%1 x %2").arg(g.width).arg(g.height);
    if (!result.glyphTable)
        return size + QStringLiteral(" pixels");
    const GlyphTableShape &table = *result.glyphTable;
    const QString glyphs =
        table.glyphs == 1 ? QStringLiteral("1 glyph") : QStringLiteral("%1 glyphs").arg(table.glyphs);
    if (table.cropped)
        return glyphs + QStringLiteral(" cropped to their ink, at most ") + size;
    if (table.varying)
        return glyphs + QStringLiteral(" in cells of their own widths, at most ") + size;
    return glyphs + QStringLiteral(" in cells of ") + size;
}

// --verbose: the packing's share, the sizes and the format, and the glyphs' line.
void summary(const QString &picture, const RoadOptions &road, const RoadResult &result, const GlyphSource *glyphs,
             Report &report)
{
    const Geometry &g = result.geometry;
    if (road.compress)
        report.complain(
            QStringLiteral("%1: %2 %3 of %4 bytes, %5 bytes packed into %6 (%7 %)%8")
                .arg(picture)
                .arg(g.frames)
                .arg(g.frames == 1 ? QStringLiteral("frame") : QStringLiteral("frames"))
                .arg(g.frameBytes)
                .arg(g.dataBytes)
                .arg(result.compressedBytes)
                .arg(g.dataBytes ? 100.0 * double(result.compressedBytes) / double(g.dataBytes) : 100.0, 0, 'f', 1)
                .arg(result.codec == Codec::Lz4        ? QStringLiteral(" with LZ4")
                     : result.codec == Codec::PackBits ? QStringLiteral(" with PackBits")
                                                       : QStringLiteral(", as they are (neither packs them smaller)")));
    // Packed, the data is what the flash holds; the line above says how much it was before.
    report.complain(QStringLiteral("%1: %2, packed as %3 x %4, %5, %6 bytes of data%7")
                        .arg(picture, sizeWords(result))
                        .arg(g.packedWidth)
                        .arg(g.packedHeight)
                        .arg(QLatin1String(nameOf(road.encode.format)))
                        .arg(flashBytes(road, result))
                        .arg(road.compress ? QStringLiteral(" (%1 unpacked)").arg(g.dataBytes) : QString()));
    if (const std::optional<LineMetrics> line = glyphs ? glyphs->lineMetrics() : std::nullopt)
        report.complain(QStringLiteral("%1: glyphs drawn at %2 pixels to the em in cells of %3 x %4, a line %5 "
                                       "rows high, its baseline %6 rows from the top")
                            .arg(picture)
                            .arg(line->pixels)
                            .arg(line->cell.width())
                            .arg(line->cell.height())
                            .arg(line->height)
                            .arg(line->baseline));
}

// An 8051 addresses 64 KiB of code: an A51, C51 or sdas table past that does not fit one bank. (Intel HEX says
// where its data ends; raw bytes go to a flash of their own.)
void bankWarnings(const QString &picture, const RoadOptions &road, const RoadResult &result, Report &report)
{
    if (!isCodeText(road.encode.format))
        return;
    for (const PlannedArray &array : result.arrays) {
        const std::int64_t bytes =
            array.isData ? flashBytes(road, result) : std::int64_t(array.values.values.size()) * array.elementBytes;
        if (bytes > codeSpace)
            report.complain(QStringLiteral("%1: warning: %2 takes %3 bytes, more than the 64 KiB (%4 bytes) that "
                                           "one 8051 code bank holds")
                                .arg(picture, array.name.isEmpty() ? QStringLiteral("the data") : array.name)
                                .arg(bytes)
                                .arg(codeSpace));
    }
}

} // namespace

void reportDone(const Options &options, const Job &job, const RoadOptions &road, const RoadResult &result,
                const GlyphSource *glyphs, Report &report)
{
    pictureWarnings(options, job.picture, road, result, glyphs, report);
    packedWarnings(job.picture, road, result, report);
    if (options.verbose)
        summary(job.picture, road, result, glyphs, report);
    bankWarnings(job.picture, road, result, report);
}

void reportScreenFit(const Options &options, const QString &picture, QSize source, Report &report)
{
    const DisplayController *display = options.display;
    if (!display || !options.displaySize)
        return;
    const QString fit = options.road.resize.fit == Fit::Contain ? QStringLiteral("--fit") : QStringLiteral("--fill");
    if (options.tile.isValid()) {
        report.complain(picture + QStringLiteral(": warning: each %1 x %2 tile was brought to the %3's screen, %4 x "
                                                 "%5, as %6 without a size takes it (give the size a tile should "
                                                 "have: %6 WxH)")
                                      .arg(options.tile.width())
                                      .arg(options.tile.height())
                                      .arg(QString::fromLatin1(display->name))
                                      .arg(display->width)
                                      .arg(display->height)
                                      .arg(fit));
        return;
    }
    const QSize turned = turnsAQuarter(options.road) ? source.transposed() : source;
    const bool landscape = turned.width() > turned.height(), portrait = turned.width() < turned.height();
    if (display->turns &&
        ((landscape && display->width < display->height) || (portrait && display->width > display->height)))
        report.complain(picture + QStringLiteral(": warning: the picture is %1 and the %2's screen of %3 x %4 is not: "
                                                 "%5 %4x%3 fills the screen as its controller scans it turned")
                                      .arg(landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"),
                                           QString::fromLatin1(display->name))
                                      .arg(display->width)
                                      .arg(display->height)
                                      .arg(fit));
}
