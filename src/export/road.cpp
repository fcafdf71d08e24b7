#include "road.h"

#include "decode/decoder.h"
#include "export/filesave.h"
#include "export/preview.h"
#include "imaging/readahead.h"

#include <QPoint>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Output is gathered and handed on in blocks of about this size.
constexpr qsizetype blockBytes = 1 << 20;

// One frame's sizes as turned and packed, before any of it is read.
struct FramePlan {
    int width = 0;
    int height = 0;
    int packedWidth = 0;
    int packedHeight = 0;
    std::int64_t bytes = 0;
};

bool turnsAQuarter(const RoadOptions &options)
{
    return options.rotate == 90 || options.rotate == 270;
}

// Frame i as it will be packed; an error when the road refuses it.
FramePlan planFrame(FrameSource &frames, int i, const RoadOptions &options, QString *error)
{
    const QSize size = frames.size(i);
    FramePlan plan;
    plan.width = turnsAQuarter(options) ? size.height() : size.width();
    plan.height = turnsAQuarter(options) ? size.width() : size.height();
    if (!options.limits.fitsHeld(TurnedRows::heldBytes(plan.width, plan.height, options.rotate, options.flip),
                                 u"the turned picture", error))
        return plan;
    const Packer packer(options.pack, plan.width);
    if (!packer.fits()) {
        *error = QStringLiteral("%1%2 is %3 pixels wide; the width must be a multiple of %4 (or use --pad)")
                     .arg(frames.what(i), turnsAQuarter(options) ? QStringLiteral(", turned,") : QString())
                     .arg(plan.width)
                     .arg(8 / traitsOf(options.pack.pixel).bits);
        return plan;
    }
    // White added to a whole byte across, or to a whole page down. The limits keep every side far below 2^31.
    plan.packedWidth = packer.packedWidth();
    plan.packedHeight = (plan.height + packer.unitRows() - 1) / packer.unitRows() * packer.unitRows();
    plan.bytes = std::int64_t(packer.unitBytes()) * (plan.packedHeight / packer.unitRows());
    return plan;
}

// Frames side by side, `columns` a row of the sheet, each at its place; for PBM, PNG and the preview.
class Sheet {
public:
    Sheet(const QList<FramePlan> &plans, int columns, int channels, std::uint8_t white)
        : channels_(channels), columns_(std::max(columns, 1))
    {
        for (int i = 0; i < plans.size(); ++i) {
            if (i % columns_ == 0) {
                bandTop_.append(height_);
                bandHeight_.append(0);
                x_ = 0;
            }
            at_.append({x_, bandTop_.last()});
            x_ += plans[i].packedWidth;
            width_ = std::max(width_, x_);
            bandHeight_.last() = std::max(bandHeight_.last(), plans[i].packedHeight);
            height_ = bandTop_.last() + bandHeight_.last();
        }
        levels_.assign(std::size_t(width_) * std::size_t(height_) * std::size_t(channels_), white);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    std::int64_t bytes() const { return std::int64_t(levels_.size()); }
    // Row y of frame i, `count` levels.
    void put(int i, int y, const std::uint8_t *levels, int count)
    {
        const QPoint at = at_[i];
        std::copy(levels, levels + std::size_t(count),
                  levels_.begin() + std::ptrdiff_t((std::int64_t(at.y() + y) * width_ + at.x()) * channels_));
    }
    const std::uint8_t *row(int y) const
    {
        return levels_.data() + std::size_t(y) * std::size_t(width_) * std::size_t(channels_);
    }

private:
    int channels_;
    int columns_;
    int x_ = 0;
    int width_ = 0;
    int height_ = 0;
    QList<int> bandTop_, bandHeight_;
    QList<QPoint> at_;
    std::vector<std::uint8_t> levels_;
};

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
    SinglePicture picture(decoder);
    return runRoad(picture, options, sink);
}

RoadResult runRoad(FrameSource &frames, const RoadOptions &options, ByteSink &sink)
{
    RoadResult result;
    Geometry &g = result.geometry;
    // Every frame's sizes first: the header and a table's declaration say them before the first frame's data.
    QList<FramePlan> plans;
    for (int i = 0; i < frames.count(); ++i) {
        plans.append(planFrame(frames, i, options, &result.error));
        if (!result.error.isEmpty())
            return result;
        const FramePlan &p = plans.last();
        g.width = std::max(g.width, p.width);
        g.height = std::max(g.height, p.height);
        g.packedWidth = std::max(g.packedWidth, p.packedWidth);
        g.packedHeight = std::max(g.packedHeight, p.packedHeight);
        g.frameBytes = std::max(g.frameBytes, p.bytes);
    }
    g.frames = int(plans.size());
    g.dataBytes = g.frameBytes * g.frames;
    EncodeOptions encode = options.encode;
    if (encode.format == OutputFormat::IntelHex && encode.address + g.dataBytes > (std::int64_t(1) << 32)) {
        result.error = QStringLiteral("%1 bytes of data do not fit below 4 GiB from address 0x%2")
                           .arg(g.dataBytes)
                           .arg(encode.address, 0, 16);
        return result;
    }
    encode.pixel = options.pack.pixel;
    encode.notes += pixelFormatNotes(options.pack);
    encode.table = frames.isTable();
    encode.tables = frames.tables();
    const int channels = traitsOf(options.pack.pixel).channels;
    const std::uint8_t white = Tone(options.tone, 0).white();

    // Several frames drawn as one picture (PBM, PNG) or previewed as a sheet are held as the sheet, within the
    // memory limit; a picture alone streams.
    const bool several = g.frames > 1;
    const std::unique_ptr<Encoder> probe = makeEncoder(encode, g);
    const bool drawn = probe->takesLevels();
    const bool sheetPreview = options.preview && several && frames.previewsSheet();
    std::optional<Sheet> sheet;
    if (several && (drawn || sheetPreview)) {
        sheet.emplace(plans, frames.sheetColumns(), channels, white);
        if (!options.limits.fitsHeld(sheet->bytes(), u"the sheet of the frames", &result.error))
            return result;
    }
    Geometry shown = g; // what a picture output draws: the sheet, or the one picture
    if (sheet) {
        shown.packedWidth = sheet->width();
        shown.packedHeight = sheet->height();
    }
    const std::unique_ptr<Encoder> encoder = drawn ? makeEncoder(encode, shown) : makeEncoder(encode, g);

    QByteArray block;
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

    std::optional<TerminalPreview> preview;
    if (options.preview) {
        const int previewWidth = sheetPreview ? sheet->width() : plans.first().packedWidth;
        if (several && !frames.previewsSheet())
            options.preview(QStringLiteral("(the first of %1 frames)").arg(g.frames));
        preview.emplace(previewWidth, options.previewColumns, options.pack.pixel, options.preview);
    }
    for (int i = 0; i < g.frames; ++i) {
        const FramePlan &p = plans[i];
        const std::unique_ptr<PictureDecoder> decoder = frames.open(i, &result.error);
        if (!decoder) {
            flush();
            return result;
        }
        // decode -> turn -> tone -> pack -> encode
        TurnedRows rows(*decoder, options.rotate, options.flip);
        ToneOptions toneOptions = options.tone;
        toneOptions.mayBeTransparent = decoder->mayBeTransparent();
        Tone tone(toneOptions, p.width);
        Packer packer(options.pack, p.width);
        // A row of levels as packed: the padding past the picture stays white.
        std::vector<std::uint8_t> levels(std::size_t(p.packedWidth) * std::size_t(channels), white);
        std::vector<std::uint8_t> unit(std::size_t(packer.unitBytes()));
        encoder->frameStart(frames.label(i), block);
        ReadAhead ahead(rows); // decoding, and turning, on a thread of their own from here on
        for (int y = 0; y < p.packedHeight; ++y) {
            if (y < p.height) {
                QRgb *pixels = ahead.next();
                if (!pixels) {
                    flush();
                    result.error = ahead.errorString();
                    return result;
                }
                tone.row(pixels, levels.data());
            } else { // a page's padding rows
                std::fill(levels.begin(), levels.end(), white);
            }
            if (preview && (sheetPreview ? false : i == 0))
                preview->addRow(levels.data());
            if (sheet)
                sheet->put(i, y, levels.data(), int(levels.size()));
            else if (drawn)
                encoder->levels(levels.data(), block);
            if (!drawn && packer.add(levels.data())) {
                const std::uint8_t *bytes = packer.unit();
                if (options.invert) {
                    for (std::size_t k = 0; k < unit.size(); ++k)
                        unit[k] = std::uint8_t(~bytes[k]);
                    bytes = unit.data();
                }
                encoder->bytes(bytes, packer.unitBytes(), block);
            }
            if (block.size() >= blockBytes && !flush())
                return result;
        }
        if (!drawn && p.bytes < g.frameBytes) { // a smaller frame fills its row of the table with zeros
            const std::vector<std::uint8_t> zeros(std::size_t(g.frameBytes - p.bytes), 0);
            encoder->bytes(zeros.data(), int(zeros.size()), block);
        }
        encoder->frameEnd(block);
    }
    if (sheet)
        for (int y = 0; y < sheet->height(); ++y) {
            if (drawn)
                encoder->levels(sheet->row(y), block);
            if (sheetPreview)
                preview->addRow(sheet->row(y));
            if (block.size() >= blockBytes && !flush())
                return result;
        }
    if (preview)
        preview->finish();
    encoder->end(block);
    result.lossless = encoder->lossless();
    result.ok = flush();
    return result;
}
