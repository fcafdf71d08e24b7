#include "header.h"

#include "decode/frames.h"
#include "export/cheader.h"
#include "export/codetext.h"

QStringList pixelFormatNotes(PixelFormat pixel, const PackOptions &pack)
{
    const PixelFormatTraits &traits = traitsOf(pixel);
    const QString name = QString::fromLatin1(traits.name);
    if (traits.mono())
        return {};
    if (traits.subByte())
        return {QStringLiteral("像素格式：%1，每字节%2个像素，左边的像素在%3位")
                    .arg(name)
                    .arg(8 / traits.bits)
                    .arg(pack.bitOrder == BitOrder::MsbFirst ? QStringLiteral("高") : QStringLiteral("低"))};
    if (pixel == PixelFormat::Rgb565)
        return {QStringLiteral("像素格式：rgb565（R<<11 | G<<5 | B），每像素2字节，%1字节在前")
                    .arg(pack.byteOrder == ByteOrder::BigEndian ? QStringLiteral("高") : QStringLiteral("低"))};
    if (pixel == PixelFormat::Rgb332)
        return {QStringLiteral("像素格式：rgb332（R<<5 | G<<2 | B），每像素1字节")};
    if (pixel == PixelFormat::Rgb888)
        return {QStringLiteral("像素格式：rgb888，每像素3字节：R、G、B")};
    return {QStringLiteral("像素格式：%1，每像素1字节").arg(name)};
}

QList<std::pair<QString, int>> formatConstants()
{
    QList<std::pair<QString, int>> constants;
    for (int k = 0; k <= int(PixelFormat::Rgb888); ++k)
        constants.append(
            {QStringLiteral("TESSALINE_") + QString::fromLatin1(traitsOf(PixelFormat(k)).name).toUpper(), k});
    constants << std::pair{QStringLiteral("TESSALINE_HORIZONTAL"), 0}
              << std::pair{QStringLiteral("TESSALINE_VERTICAL"), 1}
              << std::pair{QStringLiteral("TESSALINE_MSB_FIRST"), 0}
              << std::pair{QStringLiteral("TESSALINE_LSB_FIRST"), 1}
              << std::pair{QStringLiteral("TESSALINE_BIG_ENDIAN"), 0}
              << std::pair{QStringLiteral("TESSALINE_LITTLE_ENDIAN"), 1};
    return constants;
}

QList<std::pair<QString, QString>> formatMacros(PixelFormat pixel, const PackOptions &pack)
{
    const PixelFormatTraits &traits = traitsOf(pixel);
    const bool vertical = pack.layout == Layout::Vertical;
    return {{QStringLiteral("PIXEL_FORMAT"), QStringLiteral("TESSALINE_") + QString::fromLatin1(traits.name).toUpper()},
            {QStringLiteral("BITS_PER_PIXEL"), QString::number(traits.bits)},
            {QStringLiteral("LAYOUT"),
             vertical ? QStringLiteral("TESSALINE_VERTICAL") : QStringLiteral("TESSALINE_HORIZONTAL")},
            {QStringLiteral("BIT_ORDER"), pack.bitOrder == BitOrder::MsbFirst ? QStringLiteral("TESSALINE_MSB_FIRST")
                                                                              : QStringLiteral("TESSALINE_LSB_FIRST")},
            {QStringLiteral("BYTE_ORDER"), pack.byteOrder == ByteOrder::BigEndian
                                               ? QStringLiteral("TESSALINE_BIG_ENDIAN")
                                               : QStringLiteral("TESSALINE_LITTLE_ENDIAN")},
            {QStringLiteral("FORMAT_VERSION"), QString::number(dataFormatVersion)}};
}

namespace {

// The bytes a picture `width` x `height` packs to, each row padded to whole bytes (as glyphs are).
std::int64_t cellBytes(const RoadOptions &road, int width, int height)
{
    PackOptions pack = road.pack;
    pack.pad = true;
    const Packer packer(pack, road.pixel, width);
    return std::int64_t(packer.unitBytes()) * ((height + packer.unitRows() - 1) / packer.unitRows());
}

using Macros = QList<std::pair<QString, QString>>;

void define(Macros &macros, const QString &name, std::int64_t value)
{
    macros.append({name, QString::number(value)});
}

// What one of the table's pictures is: its size (a glyph table's cell, and its line), and the data's format.
// Cropped glyphs are stored as boxes of that cell, and say the cell (what a glyph is unpacked into), not the
// largest box.
QSize shapeMacros(Macros &macros, const QString &macro, const RoadOptions &road, const Geometry &g,
                  const FrameSource &frames)
{
    const std::optional<LineMetrics> line = frames.lineMetrics();
    const bool boxes = line && frames.tight();
    const QSize size = boxes ? line->cell : QSize(g.width, g.height);
    define(macros, macro + QStringLiteral("WIDTH"), size.width());
    define(macros, macro + QStringLiteral("HEIGHT"), size.height());
    if (road.pack.layout == Layout::Vertical)
        define(macros, macro + QStringLiteral("PAGES"), boxes ? (size.height() + 7) / 8 : g.packedHeight / 8);
    if (line) {
        define(macros, macro + QStringLiteral("LINE_HEIGHT"), line->height);
        define(macros, macro + QStringLiteral("BASELINE"), line->baseline);
        define(macros, macro + QStringLiteral("FONT_PIXELS"), line->pixels);
    }
    for (const auto &[suffix, value] : formatMacros(road.pixel, road.pack))
        macros.append({macro + suffix, value});
    return size;
}

// How the data holds them: their count and bytes, and, one after the other, their size, how they are packed and
// which are stored whole.
void dataMacros(Macros &macros, const QString &macro, const RoadOptions &road, const RoadResult &result,
                const FrameSource &frames, QSize cell)
{
    const Geometry &g = result.geometry;
    const PlannedArray &data = result.arrays.first();
    const QString bytes = macro + QStringLiteral("BYTES");
    if (!data.oneAfterAnother && !data.rows) {
        define(macros, bytes, g.dataBytes);
        return;
    }
    const bool boxes = frames.lineMetrics() && frames.tight();
    define(macros, macro + layoutOf(frames.kind(), frames.count()).countName, g.frames);
    define(macros, bytes, boxes ? cellBytes(road, cell.width(), cell.height()) : g.frameBytes);
    if (data.oneAfterAnother) // the frames one after the other, and where each starts
        macros.append({macro + QStringLiteral("SIZE"), data.size});
    if (road.compress) // how they are packed: TESSALINE_STORED, TESSALINE_PACKBITS or TESSALINE_LZ4
        define(macros, macro + QStringLiteral("CODEC"), int(result.codec));
    if (road.delta) // the frames stored whole; the rest as their changes from the one before
        define(macros, macro + QStringLiteral("KEY_EVERY"), road.keyEvery > 0 ? road.keyEvery : g.frames);
}

// What follows the data: the background, the mask, a grid's cells, the strings and their end mark.
void tableMacros(Macros &macros, const QString &macro, const RoadResult &result, const FrameSource &frames)
{
    int strings = 0;
    std::uint32_t end = 0;
    for (const PlannedArray &array : result.arrays)
        if (array.values.kind == FrameValues::String && !array.isData) {
            ++strings;
            end = array.values.values.isEmpty() ? 0 : array.values.values.last(); // each string's end mark
        }
    macros.append({macro + QStringLiteral("BACKGROUND"),
                   QStringLiteral("0x") + QString::number(result.background, 16).toUpper()});
    if (result.geometry.maskBytes > 0)
        define(macros, macro + QStringLiteral("MASK_BYTES"), result.geometry.maskBytes);
    if (frames.gb2312Grid()) // where the cell of a GB2312 code starts in the table's bytes
        macros.append({macro + QStringLiteral("CELL(c1, c2)"),
                       QStringLiteral("((((unsigned long)(c1) - 0xA1) * 94 + ((c2) - 0xA1)) * %1BYTES)").arg(macro)});
    if (strings) {
        define(macros, macro + QStringLiteral("STRINGS"), strings);
        macros.append({macro + QStringLiteral("END"), QStringLiteral("0x") + QString::number(end, 16).toUpper()});
    }
}

} // namespace

QByteArray headerText(const RoadOptions &road, const RoadResult &result, const FrameSource &frames, bool inC)
{
    const Geometry &g = result.geometry;
    const EncodeOptions &encode = road.encode;
    // An assembler module's arrays, declared for C: sdas's for SDCC, which alone links its objects.
    const CDialect dialect = inC && encode.format == OutputFormat::Sdas ? CDialect::Sdcc : encode.dialect;
    const QString macro = encode.name.toUpper() + u'_';
    Macros macros;
    const QSize cell = shapeMacros(macros, macro, road, g, frames);
    dataMacros(macros, macro, road, result, frames, cell);
    QStringList externs;
    QStringList arrays; // their names, as an assembler's header declares them
    for (const PlannedArray &array : result.arrays) {
        externs << cArray(dialect, array.elementBytes, array.name, array.sizeInHeader, encode.attribute);
        arrays << array.name;
    }
    tableMacros(macros, macro, result, frames);
    const CodeFormat format = inC ? CodeFormat::C51 : codeFormatOf(encode.format);
    const QString comment = codeHeader(format, encode.picfile, g.width, g.height, encode.stamp,
                                       encode.notes + pixelFormatNotes(road.pixel, road.pack), encode.font,
                                       result.glyphTable ? &*result.glyphTable : nullptr);
    const QString text =
        format == CodeFormat::C51
            ? cHeaderText(comment, encode.name, formatConstants(), macros, externs, cIncludes(dialect))
            : assemblerHeaderText(format == CodeFormat::Sdas, comment, formatConstants(), macros, arrays);
    return encodeText(text, encode.encoding).bytes;
}
