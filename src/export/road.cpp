#include "road.h"

#include "decode/decoder.h"
#include "export/filesave.h"
#include "export/packbits.h"
#include "export/preview.h"
#include "imaging/readahead.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Output is gathered and handed on in blocks of about this size.
constexpr qsizetype blockBytes = 1 << 20;

bool turnsAQuarter(const RoadOptions &options)
{
    return options.rotate == 90 || options.rotate == 270;
}

// Frame i's sizes as turned and packed, before any of it is read; an error when the road refuses it.
Geometry planFrame(FrameSource &frames, int i, const RoadOptions &options, QString *error)
{
    const QSize size = frames.size(i);
    Geometry plan;
    plan.width = turnsAQuarter(options) ? size.height() : size.width();
    plan.height = turnsAQuarter(options) ? size.width() : size.height();
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
    plan.dataBytes = plan.frameBytes = std::int64_t(packer.unitBytes()) * (plan.packedHeight / packer.unitRows());
    return plan;
}

// Frames side by side, `columns` a row of the sheet, each at its place; for PBM, PNG and the preview.
class Sheet {
public:
    Sheet(const QList<Geometry> &plans, int columns, int channels, std::uint8_t white)
        : channels_(channels), columns_(std::max(columns, 1)), white_(white)
    {
        // In 64 bits: the frames side by side may pass any side a picture may have, and are refused for it.
        std::int64_t x = 0;
        for (int i = 0; i < plans.size(); ++i) {
            if (i % columns_ == 0) {
                bandTop_.append(height_);
                bandHeight_.append(0);
                x = 0;
            }
            at_.append({x, bandTop_.last()});
            x += plans[i].packedWidth;
            width_ = std::max(width_, x);
            bandHeight_.last() = std::max<std::int64_t>(bandHeight_.last(), plans[i].packedHeight);
            height_ = bandTop_.last() + bandHeight_.last();
        }
    }
    std::int64_t width() const { return width_; }
    std::int64_t height() const { return height_; }
    std::int64_t bytes() const { return width_ * height_ * channels_; }
    // Makes the sheet, all white, once its sides are checked and its bytes reserved.
    void allocate() { levels_.assign(std::size_t(bytes()), white_); }
    // Row y of frame i, `count` levels.
    void put(int i, int y, const std::uint8_t *levels, int count)
    {
        const auto [x, top] = at_[i];
        std::copy(levels, levels + std::size_t(count),
                  levels_.begin() + std::ptrdiff_t(((top + y) * width_ + x) * channels_));
    }
    const std::uint8_t *row(std::int64_t y) const
    {
        return levels_.data() + std::size_t(y) * std::size_t(width_) * std::size_t(channels_);
    }

private:
    int channels_;
    int columns_;
    std::uint8_t white_;
    std::int64_t width_ = 0;
    std::int64_t height_ = 0;
    QList<std::int64_t> bandTop_, bandHeight_;
    QList<std::pair<std::int64_t, std::int64_t>> at_;
    std::vector<std::uint8_t> levels_;
};

} // namespace

QStringList pixelFormatNotes(const PackOptions &pack)
{
    const PixelFormatTraits &traits = traitsOf(pack.pixel);
    const QString name = QString::fromLatin1(traits.name);
    if (traits.mono())
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

namespace {

// The output, gathered and handed to the sink in blocks.
class Output {
public:
    Output(ByteSink &sink, RoadResult &result) : sink_(sink), result_(result) {}
    QByteArray &block() { return block_; }
    // Hands the block on when it is full (or, with `all`, whatever it holds); false after a failed write.
    bool flush(bool all = false)
    {
        if (block_.isEmpty() || (!all && block_.size() < blockBytes))
            return true;
        result_.written = true;
        const bool ok = sink_.write(block_.constData(), block_.size());
        block_.resize(0); // keeping its memory: a fresh block would be faulted in page by page again
        if (!ok)
            result_.error = sink_.errorString();
        return ok;
    }

private:
    ByteSink &sink_;
    RoadResult &result_;
    QByteArray block_;
};

// Every frame's sizes, before any is read: the header and a table's declaration say them before the first
// frame's data. What the road holds whole (the largest frame turned, the compressed frames) is reserved into
// `held`. False, with the reason in the result, when the road refuses the frames.
bool planFrames(FrameSource &frames, const RoadOptions &options, QList<Geometry> *plans, Reservation *held,
                RoadResult *result)
{
    Geometry &g = result->geometry;
    std::int64_t pixels = 0;
    std::int64_t turned = 0;
    for (int i = 0; i < frames.count(); ++i) {
        plans->append(planFrame(frames, i, options, &result->error));
        if (!result->error.isEmpty())
            return false;
        const Geometry &p = plans->last();
        turned = std::max(turned, TurnedRows::heldBytes(p.width, p.height, options.rotate, options.flip));
        pixels += std::int64_t(p.width) * p.height;
        g.width = std::max(g.width, p.width);
        g.height = std::max(g.height, p.height);
        g.packedWidth = std::max(g.packedWidth, p.packedWidth);
        g.packedHeight = std::max(g.packedHeight, p.packedHeight);
        g.frameBytes = std::max(g.frameBytes, p.frameBytes);
    }
    g.frames = int(plans->size());
    g.dataBytes = g.frameBytes * g.frames;
    if (pixels > options.limits.maxPixels) {
        result->error = QStringLiteral("the %1 frames are %2 pixels, more than the limit of %3 (--max-pixels raises "
                                       "it)")
                            .arg(g.frames)
                            .arg(pixels)
                            .arg(options.limits.maxPixels);
        return false;
    }
    if (turned > 0 && !options.limits.reserve(turned, u"the turned picture", held, &result->error))
        return false;
    const EncodeOptions &encode = options.encode;
    if (encode.format == OutputFormat::IntelHex &&
        encode.address + g.dataBytes + g.dataBytes / 128 + g.frames > (std::int64_t(1) << 32)) {
        result->error = QStringLiteral("%1 bytes of data do not fit below 4 GiB from address 0x%2")
                            .arg(g.dataBytes)
                            .arg(encode.address, 0, 16);
        return false;
    }
    if (!options.compress)
        return true;
    // Packed frames are held until the last is done (at most a byte in 128 more than the bytes, and one a frame),
    // with the frame being packed; their offsets count 32 bits.
    const std::int64_t packedAtMost = g.dataBytes + g.dataBytes / 128 + g.frames;
    if (packedAtMost >= std::int64_t(1) << 32) {
        result->error =
            QStringLiteral("%1 bytes of data may compress to more than the 4 GiB the offsets count").arg(g.dataBytes);
        return false;
    }
    return options.limits.reserve(packedAtMost + g.frameBytes, u"the compressed frames", held, &result->error);
}

// Where the display's bytes go: the encoder as they come, or, compressed, a frame at a time into the packed
// frames, which are encoded once all are done.
class ByteStage {
public:
    ByteStage(Encoder &encoder, bool compress) : encoder_(encoder), compress_(compress) {}
    void frameStart(const QString &label, QByteArray &out)
    {
        if (compress_)
            labels_.append(label);
        else
            encoder_.frameStart(label, out);
    }
    void bytes(const std::uint8_t *data, int count, QByteArray &out)
    {
        if (compress_)
            frame_.insert(frame_.end(), data, data + count);
        else
            encoder_.bytes(data, count, out);
    }
    void frameEnd(QByteArray &out)
    {
        if (!compress_)
            return encoder_.frameEnd(out);
        offsets_.append(std::uint32_t(packed_.size()));
        packed_ += packBits(frame_.data(), std::int64_t(frame_.size()));
        frame_.clear();
    }
    // Compressed: the frames, packed, one after the other, each after its label, through `encoder`.
    bool writePacked(Encoder &encoder, Output &output)
    {
        for (qsizetype i = 0; i < offsets_.size(); ++i) {
            encoder.frameStart(labels_[i], output.block());
            const qsizetype end = i + 1 < offsets_.size() ? qsizetype(offsets_[i + 1]) : packed_.size();
            for (qsizetype at = offsets_[i]; at < end; at += 4096) {
                encoder.bytes(reinterpret_cast<const std::uint8_t *>(packed_.constData()) + at,
                              int(std::min<qsizetype>(4096, end - at)), output.block());
                if (!output.flush())
                    return false;
            }
            encoder.frameEnd(output.block());
        }
        return true;
    }
    const QByteArray &packed() const { return packed_; }
    QList<std::uint32_t> offsets() const { return offsets_ + QList<std::uint32_t>{std::uint32_t(packed_.size())}; }

private:
    Encoder &encoder_;
    bool compress_;
    QStringList labels_;
    std::vector<std::uint8_t> frame_;
    QByteArray packed_;
    QList<std::uint32_t> offsets_;
};

} // namespace

RoadResult runRoad(FrameSource &frames, const RoadOptions &options, ByteSink &sink)
{
    RoadResult result;
    QList<Geometry> plans;
    Reservation held;
    if (!planFrames(frames, options, &plans, &held, &result))
        return result;
    const Geometry &g = result.geometry;
    const bool several = g.frames > 1;
    const int channels = traitsOf(options.pack.pixel).channels;
    const std::uint8_t white = Tone(options.tone, 0).white();

    EncodeOptions encode = options.encode;
    encode.pixel = options.pack.pixel;
    encode.notes += pixelFormatNotes(options.pack);
    encode.table = frames.isTable() && !options.compress;
    encode.tables = frames.tables();
    const bool drawn = makeEncoder(encode, g)->takesLevels();
    // Several frames drawn as one picture (PBM, PNG), or previewed as a sheet, are held as the sheet, within the
    // memory limit; a picture alone streams.
    const bool sheetPreview = options.preview && several && frames.previewsSheet();
    std::optional<Sheet> sheet;
    if (several && (drawn || sheetPreview)) {
        sheet.emplace(plans, frames.sheetColumns(), channels, white);
        // Its sides must stay ints for the encoders; its bytes are what limits it.
        constexpr std::int64_t widest = std::int64_t(1) << 30;
        if (sheet->width() >= widest || sheet->height() >= widest) {
            result.error = QStringLiteral("the sheet of the frames would be %1 x %2 pixels, too large to draw")
                               .arg(sheet->width())
                               .arg(sheet->height());
            return result;
        }
        if (!options.limits.reserve(sheet->bytes(), u"the sheet of the frames", &held, &result.error))
            return result;
        sheet->allocate();
    }
    Geometry shown = g; // what a picture output draws: the sheet, or the one picture
    if (sheet) {
        shown.packedWidth = int(sheet->width());
        shown.packedHeight = int(sheet->height());
    }
    std::unique_ptr<Encoder> encoder = makeEncoder(encode, drawn ? shown : g);
    ByteStage bytes(*encoder, options.compress);
    Output output(sink, result);
    if (!options.compress) // compressed, the header waits for the sizes
        encoder->begin(output.block());

    std::optional<TerminalPreview> preview;
    if (options.preview) {
        if (several && !frames.previewsSheet())
            options.preview(QStringLiteral("(the first of %1 frames)").arg(g.frames));
        preview.emplace(sheetPreview ? int(sheet->width()) : plans.first().packedWidth, options.previewColumns,
                        options.pack.pixel, options.preview);
    }
    for (int i = 0; i < g.frames; ++i) {
        const Geometry &p = plans[i];
        const std::unique_ptr<PictureDecoder> decoder = frames.open(i, &result.error);
        if (!decoder) {
            output.flush(true);
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
        bytes.frameStart(frames.label(i), output.block());
        ReadAhead ahead(rows); // decoding, and turning, on a thread of their own from here on
        for (int y = 0; y < p.packedHeight; ++y) {
            if (y < p.height) {
                QRgb *pixels = ahead.next();
                if (!pixels) {
                    output.flush(true);
                    result.error = ahead.errorString();
                    return result;
                }
                tone.row(pixels, levels.data());
            } else { // a page's padding rows
                std::fill(levels.begin(), levels.end(), white);
            }
            if (preview && !sheetPreview && i == 0)
                preview->addRow(levels.data());
            if (sheet)
                sheet->put(i, y, levels.data(), int(levels.size()));
            else if (drawn)
                encoder->levels(levels.data(), output.block());
            if (!drawn && packer.add(levels.data())) {
                const std::uint8_t *packed = packer.unit();
                if (options.invert) {
                    for (std::size_t k = 0; k < unit.size(); ++k)
                        unit[k] = std::uint8_t(~packed[k]);
                    packed = unit.data();
                }
                bytes.bytes(packed, packer.unitBytes(), output.block());
            }
            if (!output.flush())
                return result;
        }
        // A smaller frame's row of the table ends in zeros.
        static constexpr std::uint8_t zeros[4096] = {};
        for (std::int64_t left = drawn || options.compress ? 0 : g.frameBytes - p.frameBytes; left > 0;
             left -= std::int64_t(sizeof zeros)) {
            bytes.bytes(zeros, int(std::min<std::int64_t>(left, sizeof zeros)), output.block());
            if (!output.flush())
                return result;
        }
        bytes.frameEnd(output.block());
    }
    for (std::int64_t y = 0; sheet && y < sheet->height(); ++y) {
        if (drawn)
            encoder->levels(sheet->row(y), output.block());
        if (sheetPreview)
            preview->addRow(sheet->row(y));
        if (!output.flush())
            return result;
    }
    if (preview)
        preview->finish();
    if (options.compress) { // the header and the packed frames, now that their sizes are known
        result.compressedBytes = bytes.packed().size();
        result.offsets = bytes.offsets();
        result.offsetBytes = result.compressedBytes > 0xFFFF ? 4 : 2;
        encode.tables.prepend({QStringLiteral("_offsets"), result.offsetBytes,
                               QStringLiteral("where each frame starts"), result.offsets});
        Geometry packed = g;
        packed.dataBytes = result.compressedBytes;
        encoder = makeEncoder(encode, packed);
        encoder->begin(output.block());
        if (!bytes.writePacked(*encoder, output))
            return result;
    }
    encoder->end(output.block());
    result.lossless = encoder->lossless();
    result.ok = output.flush(true);
    return result;
}
