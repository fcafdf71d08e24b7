#include "road.h"

#include "core/colour.h"
#include "core/texts.h"
#include "export/filesave.h"
#include "imaging/conversion.h"
#include "imaging/pixeltable.h"
#include "picture/decoder.h"

#include <vector>

namespace {

// Output is gathered and handed on in blocks of about this size.
constexpr qsizetype blockBytes = 1 << 20;

} // namespace

RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, ByteSink &sink)
{
    RoadResult result;
    const int width = decoder.width();
    const int height = decoder.height();
    if (width % 8 != 0) {
        result.error = Texts::widthRefused.toString() + QStringLiteral(" (%1 x %2)").arg(width).arg(height);
        return result;
    }

    QByteArray block;
    block.reserve(blockBytes + 64 * width);
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
    const EncodedText header =
        encodeText(codeHeader(options.format, options.picfile, width, height, options.stamp), options.encoding);
    result.lossless = header.lossless;
    block.append(header.bytes);

    const QRgb white = rgbFromColour(whiteColour);
    const QRgb black = rgbFromColour(blackColour);
    std::vector<QRgb> pixels(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(width / 8));
    for (int y = 0; y < height; ++y) {
        if (!decoder.readRow(pixels.data())) {
            flush();
            result.error = decoder.errorString();
            return result;
        }
        if (options.convert)
            convertRow(pixels.data(), width, white, black);
        readPixelRow(pixels.data(), width, blackColour, entries.data());
        packRow(entries.data(), width, packed.data());
        if (options.format == CodeFormat::Hex)
            block.append(reinterpret_cast<const char *>(packed.data()), qsizetype(packed.size()));
        else
            appendCodeRow(options.format, packed.data(), int(packed.size()), block);
        if (block.size() >= blockBytes && !flush())
            return result;
    }
    result.ok = flush();
    return result;
}
