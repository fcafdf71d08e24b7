#include "road.h"

#include "decode/decoder.h"
#include "export/filesave.h"
#include "export/preview.h"
#include "imaging/readahead.h"

#include <optional>
#include <vector>

namespace {

// Output is gathered and handed on in blocks of about this size.
constexpr qsizetype blockBytes = 1 << 20;

// The sizes of the picture as it will be packed; an error, and nothing else, when the road refuses it.
RoadResult measure(const TurnedRows &rows, const Packer &packer, const RoadOptions &options)
{
    RoadResult result;
    Geometry &g = result.geometry;
    g.width = rows.width();
    g.height = rows.height();
    if (!packer.fits()) {
        const int perByte = 8 / traitsOf(options.pack.pixel).bits;
        result.error =
            QStringLiteral("the picture%1 is %2 pixels wide; the width must be a multiple of %3 (or use --pad)")
                .arg(options.rotate == 90 || options.rotate == 270 ? QStringLiteral(", turned,") : QString())
                .arg(g.width)
                .arg(perByte);
        return result;
    }
    if (!options.limits.fitsHeld(rows.heldBytes(), u"the turned picture", &result.error))
        return result;
    // White added to a whole byte across, or to a whole page down. The decoder's limits keep every side far
    // below 2^31.
    g.packedWidth = packer.packedWidth();
    g.packedHeight = (g.height + packer.unitRows() - 1) / packer.unitRows() * packer.unitRows();
    g.dataBytes = std::int64_t(packer.unitBytes()) * (g.packedHeight / packer.unitRows());
    const EncodeOptions &encode = options.encode;
    if (encode.format == OutputFormat::IntelHex && encode.address + g.dataBytes > (std::int64_t(1) << 32))
        result.error = QStringLiteral("%1 bytes of data do not fit below 4 GiB from address 0x%2")
                           .arg(g.dataBytes)
                           .arg(encode.address, 0, 16);
    return result;
}

} // namespace

QStringList pixelFormatNotes(const PackOptions &pack)
{
    const PixelFormatTraits &traits = traitsOf(pack.pixel);
    const QString name = QString::fromLatin1(traits.name);
    if (!traits.grey() && !traits.colour())
        return {};
    if (traits.subByte())
        return {QStringLiteral("像素格式：%1，每字节%2个像素，左边的像素在%3位")
                    .arg(name)
                    .arg(8 / traits.bits)
                    .arg(pack.bitOrder == BitOrder::MsbFirst ? QStringLiteral("高") : QStringLiteral("低"))};
    if (pack.pixel == PixelFormat::Rgb565)
        return {QStringLiteral("像素格式：rgb565（R<<11 | G<<5 | B），每像素2字节，%1字节在前")
                    .arg(pack.byteOrder == ByteOrder::BigEndian ? QStringLiteral("高") : QStringLiteral("低"))};
    if (pack.pixel == PixelFormat::Rgb332)
        return {QStringLiteral("像素格式：rgb332（R<<5 | G<<2 | B），每像素1字节")};
    if (pack.pixel == PixelFormat::Rgb888)
        return {QStringLiteral("像素格式：rgb888，每像素3字节：R、G、B")};
    return {QStringLiteral("像素格式：%1，每像素1字节").arg(name)};
}

RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, ByteSink &sink)
{
    // decode -> turn -> tone -> pack -> encode
    TurnedRows rows(decoder, options.rotate, options.flip);
    ToneOptions toneOptions = options.tone;
    toneOptions.mayBeTransparent = decoder.mayBeTransparent();
    Tone tone(toneOptions, rows.width());
    Packer packer(options.pack, rows.width());
    RoadResult result = measure(rows, packer, options);
    if (!result.error.isEmpty())
        return result;
    const Geometry &g = result.geometry;
    EncodeOptions encode = options.encode;
    encode.pixel = options.pack.pixel;
    encode.notes += pixelFormatNotes(options.pack);
    const std::unique_ptr<Encoder> encoder = makeEncoder(encode, g);

    QByteArray block;
    block.reserve(blockBytes + 8 * qsizetype(packer.unitBytes()));
    const auto flush = [&] {
        if (block.isEmpty())
            return true;
        result.written = true;
        const bool ok = sink.write(block.constData(), block.size());
        block.resize(0); // keeping its memory: a fresh block would be faulted in page by page again
        if (!ok)
            result.error = sink.errorString();
        return ok;
    };
    encoder->begin(block);
    result.lossless = encoder->lossless();

    std::optional<TerminalPreview> preview;
    if (options.preview)
        preview.emplace(g.packedWidth, options.previewColumns, options.pack.pixel, options.preview);
    // A row of levels as packed: the padding past the picture stays white.
    const std::size_t levelCount = std::size_t(g.packedWidth) * std::size_t(tone.channels());
    std::vector<std::uint8_t> levels(levelCount, tone.white());
    std::vector<std::uint8_t> unit(std::size_t(packer.unitBytes()));
    ReadAhead ahead(rows); // decoding, and turning, on a thread of their own from here on
    for (int y = 0; y < g.packedHeight; ++y) {
        if (y < g.height) {
            QRgb *pixels = ahead.next();
            if (!pixels) {
                flush();
                result.error = ahead.errorString();
                return result;
            }
            tone.row(pixels, levels.data());
        } else { // a page's padding rows
            std::fill(levels.begin(), levels.end(), tone.white());
        }
        if (preview)
            preview->addRow(levels.data());
        if (encoder->takesLevels()) {
            encoder->levels(levels.data(), block);
        } else if (packer.add(levels.data())) {
            const std::uint8_t *bytes = packer.unit();
            if (options.invert) {
                for (std::size_t i = 0; i < unit.size(); ++i)
                    unit[i] = std::uint8_t(~bytes[i]);
                bytes = unit.data();
            }
            encoder->bytes(bytes, packer.unitBytes(), block);
        }
        if (block.size() >= blockBytes && !flush())
            return result;
    }
    if (preview)
        preview->finish();
    encoder->end(block);
    result.ok = flush();
    return result;
}
