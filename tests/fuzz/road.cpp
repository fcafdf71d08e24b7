#include "road.h"
#include "support/limits.h"
#include "support/models.h"

#include "export/windowwriters.h"
#include "decode/animation.h"
#include "glyphs/charsets.h"
#include "glyphs/glyphtable.h"
#include "decode/tiles.h"
#include "export/filesave.h"
#include "export/packbits.h"
#include "export/road.h"
#include "imaging/conversion.h"
#include "picture/windowpasses.h"
#include "imaging/pixeltable.h"
#include "picture/picture.h"
#include "decode/decoder.h"
#include "picture/picturesurface.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <set>

namespace {

// Pictures larger than this are only checked up to their header: decoding them would slow the search.
constexpr std::int64_t largestDecoded = 1 << 20;

// The converter's own limits, its memory budget of 1 GiB among them, under libFuzzer's limit of 1.5 GiB: a file
// that makes the road take more than its budget allows is then a finding.
PictureLimits limitsFor(PictureFormats formats)
{
    return {formats, converterLimits()};
}

[[noreturn]] void violated(const char *what)
{
    std::fprintf(stderr, "road check failed: %s\n", what);
    std::abort();
}

void require(bool holds, const char *what)
{
    if (!holds)
        violated(what);
}

// The input as a file, for the readers that take a path (fonts, text files).
QString asFile(const QByteArray &data)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input"));
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size(),
            "the input can be written to a file");
    return path;
}

// The entries of a writer's data lines, as numbers, in order.
QByteArray entriesOf(const QString &text, const QRegularExpression &entry)
{
    QByteArray bytes;
    for (const QRegularExpressionMatch &m : entry.globalMatch(text))
        bytes.append(char(m.captured(1).toInt(nullptr, 16)));
    return bytes;
}

// The window's three writers over the table, checked; their code, A51, C51 and HEX, for the converter's check.
std::array<GeneratedCode, 3> checkWriters(const PixelTable &table)
{
    const int rowBytes = bytesPerRow(table);
    const std::int64_t count = std::int64_t(rowBytes) * table.height();
    GeneratedCode hex = writeHex(table, {}, Limits::window());
    require(hex.codebytes.size() == count, "HEX holds W x H / 8 bytes");
    require(hex.codelines.size() == table.height(), "HEX lists a line a row");
    static const QRegularExpression hexEntry(QStringLiteral("([0-9A-F]{2}) "));
    require(entriesOf(hex.codetext, hexEntry) == hex.codebytes, "the HEX listing equals the bytes");
    for (int y = 0; y < table.height(); ++y)
        for (int c = 0; c < rowBytes; ++c)
            require(quint8(hex.codebytes[qsizetype(y) * rowBytes + c]) == packedByte(table, c, y),
                    "byte y * B + c is P(c, y)");

    const CodeStamp stamp{QStringLiteral("2002-11-15"), QStringLiteral("14:05:09")};
    const qsizetype lines = 4 + qsizetype(table.height()) * ((rowBytes + 15) / 16);
    GeneratedCode a51 = writeA51(table, QStringLiteral("fuzz.bmp"), stamp, {}, Limits::window());
    GeneratedCode c51 = writeC51(table, QStringLiteral("fuzz.bmp"), stamp, {}, Limits::window());
    require(a51.codetext.count(QStringLiteral("\r\n")) == lines, "A51 has 4 + H * ceil(B / 16) lines");
    require(c51.codetext.count(QStringLiteral("\r\n")) == lines, "C51 has 4 + H * ceil(B / 16) lines");
    static const QRegularExpression a51Entry(QStringLiteral("0([0-9A-F]{2})H"));
    static const QRegularExpression c51Entry(QStringLiteral("0x([0-9A-F]{2})"));
    require(entriesOf(a51.codetext, a51Entry) == hex.codebytes, "the A51 entries equal the bytes");
    require(entriesOf(c51.codetext, c51Entry) == hex.codebytes, "the C51 entries equal the bytes");
    return {std::move(a51), std::move(c51), std::move(hex)};
}

class MemorySink : public ByteSink {
public:
    QByteArray bytes;
    bool write(const char *data, std::int64_t size) override
    {
        bytes.append(data, qsizetype(size));
        return true;
    }
};

// The converter's road, run over the file's rows as they are decoded, writes byte for byte what the window's
// writers make of the same picture.
void checkConverter(const QByteArray &data, const std::array<GeneratedCode, 3> &window, bool convert)
{
    const CodeStamp stamp{QStringLiteral("2002-11-15"), QStringLiteral("14:05:09")};
    for (CodeFormat format : {CodeFormat::A51, CodeFormat::C51, CodeFormat::Hex}) {
        Refusal error;
        const std::unique_ptr<PictureDecoder> decoder =
            openPicture(memorySource(data), limitsFor(PictureFormats::WindowFormats), &error);
        require(decoder != nullptr, "the converter opens what the window reads");
        MemorySink sink;
        RoadOptions options;
        options.encode.format = format == CodeFormat::A51   ? OutputFormat::A51
                                : format == CodeFormat::C51 ? OutputFormat::C51
                                                            : OutputFormat::Hex;
        options.tone.convert = convert;
        options.encode.picfile = QStringLiteral("fuzz.bmp");
        options.encode.stamp = stamp;
        const RoadResult result = runRoad(*decoder, options, limitsFor(PictureFormats::WindowFormats).sizes, sink);
        require(result.ok, "the converter reads what the window reads");
        const GeneratedCode &code = window[std::size_t(format)];
        require(sink.bytes == (format == CodeFormat::Hex ? code.codebytes : code.codetext.toUtf8()),
                "the converter writes what the window writes");
    }
}

RoadResult runInto(const QByteArray &picture, const RoadOptions &options, QByteArray *out)
{
    Refusal error;
    const std::unique_ptr<PictureDecoder> decoder =
        openPicture(memorySource(picture), limitsFor(PictureFormats::AllFormats), &error);
    if (!decoder) {
        RoadResult refused;
        refused.error = error;
        return refused;
    }
    MemorySink sink;
    const RoadResult result = runRoad(*decoder, options, limitsFor(PictureFormats::AllFormats).sizes, sink);
    *out = sink.bytes;
    return result;
}

// The input's first byte chooses the converter's options, its last the pixel format and the background; the rest
// is the picture (any format it reads: they all ignore a byte past their end). Every combination must run
// without harm, write as many bytes as its packing implies, and --invert must give their complement (but for
// the padding).
void checkOptions(const QByteArray &data)
{
    if (data.size() < 2)
        return;
    const int choice = quint8(data[0]);
    const int last = quint8(data.back());
    const QByteArray picture = data.mid(1);
    Refusal error;
    const std::unique_ptr<PictureDecoder> header =
        openPicture(memorySource(picture), limitsFor(PictureFormats::AllFormats), &error);
    if (!header || std::int64_t(header->width()) * header->height() > largestDecoded / 16)
        return; // small pictures find the same faults, many times faster

    RoadOptions options;
    const PixelFormat pixel = PixelFormat(last % 7);
    const bool mono = pixel == PixelFormat::Mono;
    options.encode.format = OutputFormat::Hex;
    options.pixel = pixel;
    options.tone.background = std::array<QRgb, 3>{0xFFFFFFFF, 0xFF000000, 0xFF336699}[std::size_t(last / 7 % 3)];
    options.pack.byteOrder = last & 0x80 ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
    options.pack.layout = choice & 1 && mono ? Layout::Vertical : Layout::Horizontal;
    options.pack.bitOrder = choice & 2 ? BitOrder::LsbFirst : BitOrder::MsbFirst;
    options.pack.pad = choice & 4;
    options.rotate = 90 * ((choice >> 3) & 3);
    options.flip = Flip((choice >> 5) % 3);
    switch (choice >> 6) {
    case 1:
        options.tone.convert = mono;
        break;
    case 2:
        options.tone.threshold = mono ? choice : -1;
        break;
    case 3:
        options.tone.dither = Dither(1 + (choice >> 1) % 3);
        break;
    default:
        break;
    }
    QByteArray bytes;
    const RoadResult result = runInto(picture, options, &bytes);
    require(result.ok || !result.error.isEmpty(), "a refusal says why");
    if (!result.ok)
        return;
    const bool turned = options.rotate == 90 || options.rotate == 270;
    const std::int64_t width = turned ? header->height() : header->width();
    const std::int64_t height = turned ? header->width() : header->height();
    const int bits = traitsOf(pixel).bits;
    const bool vertical = options.pack.layout == Layout::Vertical;
    const std::int64_t expected = vertical ? width * ((height + 7) / 8) : (width * bits + 7) / 8 * height;
    require(bytes.size() == expected, "the packed picture has the bytes its layout implies");

    // Brought to a size of 1 to 48 pixels a side, stretched, contained or covered: the size asked, and its bytes.
    RoadOptions sized = options;
    sized.resize = {Fit(1 + choice % 3), QSize(1 + last * 7 % 48, 1 + choice * 5 % 48),
                    last & 1 ? Filter::Nearest : Filter::Lanczos};
    sized.pack.pad = true;
    QByteArray resized;
    const RoadResult brought = runInto(picture, sized, &resized);
    require(brought.ok || !brought.error.isEmpty(), "a refusal says why");
    require(!brought.ok || (brought.geometry.width == sized.resize.size.width() &&
                            brought.geometry.height == sized.resize.size.height()),
            "a picture brought to a size, as turned, has it");

    QByteArray inverted;
    options.pack.invert = true;
    require(runInto(picture, options, &inverted).ok, "--invert reads the picture as well");
    const bool padded = vertical ? height % 8 != 0 : width * bits % 8 != 0;
    require(inverted.size() == bytes.size(), "--invert keeps the size");
    for (qsizetype i = 0; i < bytes.size() && !padded; ++i)
        require(quint8(inverted[i]) == quint8(~bytes[i]), "--invert complements every byte of the picture");
    options.pack.invert = false;

    QByteArray packed;
    options.compress = true;
    const RoadResult compressed = runInto(picture, options, &packed);
    options.compress = false;
    QByteArray unpacked;
    require(compressed.ok && unpackBits(packed, &unpacked, bytes.size()) && unpacked == bytes &&
                packed.size() <= bytes.size() + (bytes.size() + 127) / 128,
            "--compress packs the bytes, at most a byte in 128 more, and they unpack to the bytes");

    int lines = 0;
    options.preview = [&](const QString &) { ++lines; };
    const std::int64_t packedWidth = vertical ? width : (width * bits + 7) / 8 * 8 / bits;
    const std::int64_t packedHeight = vertical ? (height + 7) / 8 * 8 : height;
    if (!mono) {
        options.encode.format = OutputFormat::Png;
        QByteArray png;
        require(runInto(picture, options, &png).ok, "the PNG reads the picture as well");
        const QImage shown = QImage::fromData(png, "PNG");
        require(shown.width() == packedWidth && shown.height() == packedHeight && lines > 0,
                "a PNG of the picture as packed, and a preview, are drawn");
        return;
    }
    options.encode.format = OutputFormat::Pbm;
    QByteArray pbm;
    require(runInto(picture, options, &pbm).ok, "the PBM reads the picture as well");
    const QByteArray pbmHeader =
        "P4\n" + QByteArray::number(packedWidth) + ' ' + QByteArray::number(packedHeight) + '\n';
    require(pbm.size() == pbmHeader.size() + (width + 7) / 8 * packedHeight && pbm.startsWith(pbmHeader) && lines > 0,
            "a PBM of whole-byte rows, and a preview, are drawn");
}

// A GIF's frames, composed: each frame as many bytes as the screen packs to, and, packed frame by frame, each
// unpacking to its own bytes.
void checkFrames(const QByteArray &data)
{
    if (!data.startsWith("GIF8"))
        return;
    Refusal error;
    const std::unique_ptr<GifAnimation> frames =
        GifAnimation::open(memorySource(data), limitsFor(PictureFormats::AllFormats).sizes, &error);
    if (!frames) {
        require(!error.isEmpty(), "a refusal says why");
        return;
    }
    const QSize screen = frames->size(0);
    if (std::int64_t(screen.width()) * screen.height() * frames->count() > largestDecoded / 16)
        return;
    const Limits limits = limitsFor(PictureFormats::AllFormats).sizes;
    RoadOptions options;
    options.encode.format = OutputFormat::Hex;
    options.pack.pad = true;
    MemorySink raw;
    const RoadResult plain = runRoad(*frames, options, limits, raw);
    require(plain.ok || !plain.error.isEmpty(), "a refusal says why");
    if (!plain.ok)
        return;
    const std::int64_t frameBytes = (screen.width() + 7) / 8 * std::int64_t(screen.height());
    require(raw.bytes.size() == frameBytes * frames->count(), "each frame packs to the screen's bytes");
    options.compress = true;
    MemorySink packed;
    const std::unique_ptr<GifAnimation> again = GifAnimation::open(memorySource(data), limits, &error);
    const RoadResult result = runRoad(*again, options, limits, packed);
    require(result.ok && result.offsets.size() == frames->count() + 1, "the packed frames have their offsets");
    for (int i = 0; i < frames->count(); ++i) {
        QByteArray frame;
        require(unpackBits(packed.bytes.mid(result.offsets[i], result.offsets[i + 1] - result.offsets[i]), &frame,
                           frameBytes) &&
                    frame == raw.bytes.mid(i * frameBytes, frameBytes),
                "each packed frame unpacks to its own bytes");
    }
}

// The frames down the road as raw bytes, rows padded to whole bytes; a refusal must say why.
RoadResult runPaddedHex(FrameSource &frames, MemorySink &sink)
{
    RoadOptions options;
    options.encode.format = OutputFormat::Hex;
    options.pack.pad = true;
    const RoadResult result = runRoad(frames, options, limitsFor(PictureFormats::AllFormats).sizes, sink);
    require(result.ok || !result.error.isEmpty(), "a refusal says why");
    return result;
}

// A picture cut into tiles of a half, a quarter or an eighth of its sides: every tile packs to its bytes.
void checkTiles(const QByteArray &data)
{
    Refusal error;
    const std::unique_ptr<PictureDecoder> picture =
        openPicture(memorySource(data), limitsFor(PictureFormats::AllFormats), &error);
    if (!picture || std::int64_t(picture->width()) * picture->height() > largestDecoded / 16)
        return;
    const auto part = [](int side, int k) { return side % k == 0 ? side / k : side; };
    const int split = 1 << (quint8(data.back()) % 4);
    const QSize tile(part(picture->width(), split), part(picture->height(), split));
    const std::unique_ptr<Tiles> tiles =
        Tiles::cut(*picture, tile, limitsFor(PictureFormats::AllFormats).sizes, &error);
    require(tiles != nullptr, "a picture of a whole number of tiles is cut");
    MemorySink sink;
    const RoadResult result = runPaddedHex(*tiles, sink);
    require(!result.ok || sink.bytes.size() == std::int64_t(tiles->count()) * ((tile.width() + 7) / 8) * tile.height(),
            "each tile packs to its own bytes");
}

// The input as a font file (BDF, PCF, TrueType and collections, compressed or not): a few characters drawn at a
// size its last byte chooses, each glyph within its cell.
void checkFont(const QByteArray &data)
{
    static const QByteArray magics[] = {"STARTFONT",
                                        "\x01"
                                        "fcp",
                                        "\x1F\x8B",
                                        "\x1F\x9D",
                                        "BZh",
                                        QByteArray("\x00\x01\x00\x00", 4),
                                        "true",
                                        "OTTO",
                                        "ttcf"};
    if (std::none_of(std::begin(magics), std::end(magics), [&](const QByteArray &m) { return data.startsWith(m); }))
        return;
    GlyphOptions glyphs;
    glyphs.missingBlank = true;
    glyphs.index = CodeIndex::Unicode;
    glyphs.size = 6 + quint8(data.back()) % 40;
    glyphs.proportional = data.back() & 1;
    Refusal error;
    const std::unique_ptr<GlyphSource> font =
        GlyphSource::open(asFile(data), -1, {U'A', U'g', U'|', U'\u4F60', U'\u00B0'}, glyphs,
                          limitsFor(PictureFormats::AllFormats).sizes, &error);
    if (!font) {
        require(!error.isEmpty(), "a refusal says why");
        return;
    }
    MemorySink sink;
    const RoadResult result = runPaddedHex(*font, sink);
    require(!result.ok || sink.bytes.size() == result.geometry.dataBytes, "the glyph table has its bytes");
}

// The encoding a text is read in, from its first byte: UTF-8 most often.
TextFileEncoding encodingOf(const QByteArray &data)
{
    const int choice = data.isEmpty() ? 0 : quint8(data[0]) % 8;
    return choice < 5 ? TextFileEncoding::Utf8 : TextFileEncoding(choice - 4);
}

// The input as a text file of characters: each character once, no line end among them.
void checkText(const QByteArray &data)
{
    Refusal error;
    const std::optional<QList<char32_t>> characters =
        charactersOfTextFile(asFile(data), encodingOf(data), limitsFor(PictureFormats::AllFormats).sizes, &error);
    if (!characters) {
        require(!error.isEmpty(), "a refusal says why");
        return;
    }
    const std::set<char32_t> distinct(characters->begin(), characters->end());
    require(qsizetype(distinct.size()) == characters->size() && !distinct.count(U'\n') && !distinct.count(U'\r'),
            "a text's characters are distinct, without line ends");
}

// The input as a strings file: each line a string of glyph indices, ended by the end mark, drawn with a small
// bitmap font (a character it lacks left blank) into a named C51 table.
void checkStrings(const QByteArray &data)
{
    static const QString font = [] {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tiny.bdf"));
        QFile file(path);
        require(file.open(QIODevice::WriteOnly) &&
                    file.write("STARTFONT 2.1\nFONT tiny\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 -1\n"
                               "STARTPROPERTIES 2\nFONT_ASCENT 7\nFONT_DESCENT 1\nENDPROPERTIES\nCHARS 1\n"
                               "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 5 0\nBBX 4 3 1 0\nBITMAP\nF0\n90\n"
                               "F0\nENDCHAR\nENDFONT\n") > 0,
                "the font can be written");
        return path;
    }();
    const Limits limits = limitsFor(PictureFormats::AllFormats).sizes;
    Refusal error;
    std::optional<TextLines> strings = linesOfTextFile(asFile(data), encodingOf(data), limits, &error);
    if (!strings) {
        require(!error.isEmpty(), "a refusal says why");
        return;
    }
    DistinctCharacters distinct;
    for (const QString &line : std::as_const(strings->lines)) {
        require(!line.contains(u'\n') && !line.contains(u'\r'), "a string holds no line end");
        distinct.add(line);
    }
    if (distinct.list.isEmpty() || distinct.list.size() > 4096 || strings->lines.size() > 4096)
        return;
    GlyphOptions glyphs;
    glyphs.missingBlank = true;
    glyphs.index = CodeIndex::Unicode;
    const qsizetype lines = strings->lines.size();
    const std::unique_ptr<GlyphSource> table =
        GlyphSource::open(font, -1, distinct.list, glyphs, limits, &error, std::move(*strings));
    if (!table) { // a character past U+FFFF has no 16-bit code
        require(!error.isEmpty(), "a refusal says why");
        return;
    }
    qsizetype ended = 0;
    for (const FrameTable &t : table->tables())
        ended += t.kind == FrameValues::String && !t.values.isEmpty() && t.values.last() == table->endMark();
    require(ended == lines, "every line is a string, ended by the end mark");
    MemorySink sink;
    RoadOptions options;
    options.encode.format = OutputFormat::C51;
    options.encode.name = QStringLiteral("t");
    options.pack.pad = true; // narrow cells are 4 pixels wide
    require(runRoad(*table, options, limits, sink).ok, "a glyph table with its strings is written");
}

} // namespace

void checkRoad(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    checkText(data);
    checkStrings(data);
    checkFont(data);
    checkOptions(data);
    checkFrames(data);
    checkTiles(data);
    Refusal error;
    const std::unique_ptr<PictureDecoder> header =
        openPicture(memorySource(data), limitsFor(PictureFormats::WindowFormats), &error);
    if (header && std::int64_t(header->width()) * header->height() > largestDecoded)
        return;

    LoadedPicture loaded;
    try { // as the window does: a machine with less memory than the limits allow refuses the picture
        loaded = decodePicture(data, Limits::window());
    } catch (const std::bad_alloc &) {
        return;
    }
    if (!loaded.ok()) {
        require(!loaded.refusal.isEmpty(), "a refusal says why");
        return;
    }
    require(loaded.picture.format() == QImage::Format_RGB32, "decoded pictures are opaque 32-bit");
    PictureSurface surface;
    surface.setPicture(loaded.picture);
    require(surface.ScaleWidth() == loaded.picture.width() && surface.ScaleHeight() == loaded.picture.height(),
            "the surface takes the picture's size");
    require(surface.ScaleWidth() > 0 && surface.ScaleHeight() > 0, "a decoded picture has pixels");
    if (!hasByteAlignedWidth(surface))
        return;

    int lastPercent = 0;
    const PixelTable table = readPixelTable(
        surface, blackColour,
        [&](const QString &text) {
            const int percent = text.section(u'为', -1).chopped(1).toInt();
            require(percent >= lastPercent && percent <= 100, "progress only grows, up to 100");
            lastPercent = percent;
        },
        Limits::window());
    require(lastPercent == 100, "progress ends at 100");
    require(table.width() == surface.ScaleWidth() && table.height() == surface.ScaleHeight(),
            "the table covers the picture");
    checkConverter(data, checkWriters(table), false);

    convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    for (int y = 0; y < int(surface.ScaleHeight()); ++y)
        for (int x = 0; x < int(surface.ScaleWidth()); ++x)
            require(surface.Point(x, y) == whiteColour || surface.Point(x, y) == blackColour,
                    "converted pixels are white or black");
    const PixelTable converted = readPixelTable(surface, blackColour, {}, Limits::window());
    checkConverter(data, checkWriters(converted), true);
}
