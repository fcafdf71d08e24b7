#include "road.h"

#include "core/colour.h"
#include "export/filesave.h"
#include "export/intelhex.h"
#include "export/preview.h"
#include "imaging/conversion.h"
#include "picture/decoder.h"

#include <optional>
#include <vector>

namespace {

// Output is gathered and handed on in blocks of about this size.
constexpr qsizetype blockBytes = 1 << 20;

std::int64_t wholeBytes(std::int64_t pixels)
{
    return (pixels + 7) / 8;
}

BlackAndWhite blackAndWhiteFor(const RoadOptions &options, int width)
{
    if (options.threshold >= 0)
        return BlackAndWhite::threshold(options.threshold);
    if (options.dither != Dither::None)
        return BlackAndWhite::dithered(options.dither, width);
    return BlackAndWhite::exact(blackColour);
}

} // namespace

RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, ByteSink &sink)
{
    RoadResult result;
    TurnedRows rows(decoder, options.rotate, options.flip);
    const int width = rows.width();
    const int height = rows.height();
    const bool vertical = options.layout == Layout::Vertical;
    if (!vertical && !options.pad && width % 8 != 0) {
        result.error =
            QStringLiteral("the picture%1 is %2 pixels wide; the width must be a multiple of 8 (or use --pad)")
                .arg(options.rotate == 90 || options.rotate == 270 ? QStringLiteral(", turned,") : QString())
                .arg(width);
        return result;
    }
    if (!options.limits.fitsHeld(rows.heldBytes(), u"the turned picture", &result.error))
        return result;
    // The picture as packed: white added to a whole byte across, or to a whole page down. The decoder's
    // limits keep every side far below 2^31.
    const int packedWidth = int(vertical ? width : 8 * wholeBytes(width));
    const int packedHeight = int(vertical ? 8 * wholeBytes(height) : height);
    result.width = width;
    result.height = height;
    result.packedWidth = packedWidth;
    result.packedHeight = packedHeight;
    result.dataBytes = std::int64_t(packedWidth) * packedHeight / 8;
    if (options.format == OutputFormat::IntelHex && options.address + result.dataBytes > (std::int64_t(1) << 32)) {
        result.error = QStringLiteral("%1 bytes of data do not fit below 4 GiB from address 0x%2")
                           .arg(result.dataBytes)
                           .arg(options.address, 0, 16);
        return result;
    }

    QByteArray block;
    block.reserve(blockBytes + 8 * qsizetype(packedWidth));
    const auto flush = [&] {
        if (block.isEmpty())
            return true;
        result.written = true;
        const bool ok = sink.write(block.constData(), block.size());
        block.clear();
        if (!ok)
            result.error = sink.errorString();
        return ok;
    };

    const bool code = options.format == OutputFormat::A51 || options.format == OutputFormat::C51;
    const CodeFormat codeFormat = options.format == OutputFormat::C51 ? CodeFormat::C51 : CodeFormat::A51;
    if (code) {
        const EncodedText header =
            encodeText(codeHeader(codeFormat, options.picfile, width, height, options.stamp), options.encoding);
        result.lossless = header.lossless;
        block.append(header.bytes);
        const QByteArray name = options.name.toLatin1();
        if (!name.isEmpty() && codeFormat == CodeFormat::A51)
            block.append(name + ":\r\n");
        if (!name.isEmpty() && codeFormat == CodeFormat::C51)
            block.append(cArray(options.dialect, options.name, QString::number(result.dataBytes)).toLatin1() +
                         " = {\r\n");
    } else if (options.format == OutputFormat::Pbm) {
        block.append(QByteArrayLiteral("P4\n") + QByteArray::number(packedWidth) + ' ' +
                     QByteArray::number(packedHeight) + '\n');
    }

    std::optional<TerminalPreview> preview;
    if (options.preview)
        preview.emplace(packedWidth, options.previewColumns, options.preview);

    // A unit is what a code line group stands for: a row, or in the vertical layout a page.
    std::vector<std::uint8_t> unit(std::size_t(vertical ? packedWidth : packedWidth / 8));
    IntelHexWriter intelHex(options.address);
    const auto emitUnit = [&] {
        if (options.invert)
            for (std::uint8_t &b : unit)
                b = std::uint8_t(~b);
        if (code)
            appendCodeRow(codeFormat, unit.data(), int(unit.size()), block);
        else if (options.format == OutputFormat::IntelHex)
            intelHex.append(unit.data(), std::int64_t(unit.size()), block);
        else
            block.append(reinterpret_cast<const char *>(unit.data()), qsizetype(unit.size()));
    };
    std::vector<std::uint8_t> page(vertical ? std::size_t(8) * std::size_t(packedWidth) : 0);
    int pageRows = 0;
    const int pbmRowBytes = int(wholeBytes(packedWidth)); // netpbm pads every row to a whole byte
    std::vector<std::uint8_t> pbmRow(static_cast<std::size_t>(pbmRowBytes));
    // Takes one row of the picture as packed (packedWidth entries, 1 for black).
    const auto takeEntries = [&](const std::uint8_t *entries) {
        if (preview)
            preview->addRow(entries);
        if (options.format == OutputFormat::Pbm) {
            packRow(entries, 8 * pbmRowBytes, pbmRow.data());
            block.append(reinterpret_cast<const char *>(pbmRow.data()), pbmRowBytes);
            return;
        }
        if (!vertical) {
            packRow(entries, packedWidth, unit.data(), options.bitOrder);
            emitUnit();
            return;
        }
        std::copy(entries, entries + packedWidth, page.begin() + std::ptrdiff_t(pageRows) * packedWidth);
        if (++pageRows == 8) {
            const std::uint8_t *pageRowsAt[8];
            for (int k = 0; k < 8; ++k)
                pageRowsAt[k] = page.data() + std::size_t(k) * std::size_t(packedWidth);
            packPage(pageRowsAt, packedWidth, unit.data(), options.bitOrder);
            emitUnit();
            pageRows = 0;
        }
    };

    const QRgb white = rgbFromColour(whiteColour);
    const QRgb black = rgbFromColour(blackColour);
    BlackAndWhite blackAndWhite = blackAndWhiteFor(options, width);
    std::vector<QRgb> pixels(static_cast<std::size_t>(width));
    // Up to a whole byte: the padding stays white.
    std::vector<std::uint8_t> entries(std::size_t(8) * std::size_t(wholeBytes(packedWidth)), 0);
    for (int y = 0; y < packedHeight; ++y) {
        if (y < height) {
            if (!rows.next(pixels.data())) {
                flush();
                result.error = rows.errorString();
                return result;
            }
            if (options.convert)
                convertRow(pixels.data(), width, white, black);
            blackAndWhite.classify(pixels.data(), width, entries.data());
        } else { // a page's padding rows
            std::fill(entries.begin(), entries.end(), 0);
        }
        takeEntries(entries.data());
        if (block.size() >= blockBytes && !flush())
            return result;
    }
    if (preview)
        preview->finish();
    if (options.format == OutputFormat::IntelHex)
        intelHex.finish(block);
    if (code && codeFormat == CodeFormat::C51 && !options.name.isEmpty())
        block.append("};\r\n");
    result.ok = flush();
    return result;
}
