#pragma once

// The road's parts that run once or per frame beside it: the plan of every frame's sizes, a frame's stages, the sheet
// that PBM, PNG and the preview draw several frames on, the output gathered into blocks, and the stage where the
// display's bytes go (packed frames held until the last is done).

#include "export/encoders.h"
#include "export/filesave.h"
#include "export/lz4pack.h"
#include "export/packbits.h"
#include "export/road.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// A frame's mask: a bit a pixel, set where the pixel's alpha is at least 128, packed as a mono picture in the data's
// layout and bit order, each row padded to a whole byte; the frames' masks one after another, each as long as
// the largest, a table a frame a row.
class MaskStage {
public:
    // The packing of a mask for data packed as `pack`.
    static PackOptions packingOf(const PackOptions &pack);
    // A frame's mask bytes, `width` x `height` pixels (a page's padding rows included where the layout has pages).
    static std::int64_t frameBytes(const PackOptions &pack, int width, int packedHeight);

    MaskStage(const PackOptions &pack, std::int64_t frameBytes) : pack_(packingOf(pack)), frameBytes_(frameBytes) {}
    // A frame of `width` pixels starts.
    void frameStart(int width);
    // The next row of the frame, a byte a pixel, 1 where it is opaque (opaqueRow); null: a page's padding row.
    void row(const std::uint8_t *opaque);
    // The frame ends: its bytes made as long as the largest frame's.
    void frameEnd();
    // The masks, as a table's values, and the pixels they leave clear.
    FrameTable table() const;
    std::int64_t transparent() const { return transparent_; }

private:
    PackOptions pack_;
    std::int64_t frameBytes_;
    int width_ = 0;
    std::optional<Packer> packer_;
    std::vector<std::uint8_t> row_;
    QList<std::uint32_t> bytes_;
    std::int64_t frameStart_ = 0;
    std::int64_t transparent_ = 0;
};

// Output is gathered and handed on in blocks of about this size.
constexpr qsizetype blockBytes = 1 << 20;

// Whether the turn is a quarter, which swaps the sides.
bool turnsAQuarter(const RoadOptions &options);
// Whether the tone runs before the turn: where the turn holds the picture and the tone takes each pixel alone, so
// that the turn holds levels, not colours.
bool tonedBeforeTurn(const RoadOptions &options);
// The bits a pixel the turn holds: the levels and mask bit where the tone runs before it, a colour otherwise.
int turnedBits(const RoadOptions &options);
// How the frames' rows are packed: frames of their own sizes, one after the other, each row padded to whole bytes
// (a cropped glyph is as wide as its ink).
PackOptions packingOf(const FrameSource &frames, const RoadOptions &options);
// A pixel of the background as the data holds it: toned, complemented where the display takes the levels so, its
// `channels` one value (red in the highest bits).
std::uint32_t backgroundValue(const RoadOptions &options, int channels, bool complement);

// The stages of one frame, set up for its size. Where the turn holds the picture, a pointwise tone runs before it,
// on the rows as read, so that it holds levels (LevelValues), not colours; a dither runs after it, on the rows as
// turned, and so does every tone where the rows pass straight through.
struct FrameStages {
    FrameStages(PictureDecoder &decoder, const Placement &placement, const RoadOptions &options,
                const PackOptions &pack, const Geometry &plan, int channels, std::uint8_t white);
    FrameStages(const FrameStages &) = delete;
    FrameStages &operator=(const FrameStages &) = delete;
    std::optional<Resizer> resized;
    bool early; // the tone before the turn
    bool mask;
    LevelValues values;
    Tone tone;
    std::vector<std::uint8_t> read; // early: a row as read, its levels then its opaque bytes
    TurnedRows turned;
    Packer packer;
    std::vector<std::uint8_t> levels; // a row as toned: the padding past the picture stays white
    std::vector<std::uint8_t> opaque; // with a mask: the row's opaque bytes
    std::vector<std::uint8_t> out;    // the row as the display takes it, where that differs
    std::vector<std::uint8_t> shown;  // the row as the display shows it, where that differs again
};

// Every frame's sizes, before any is read: the header and a table's declaration say them before the first
// frame's data. What the road holds whole (the largest frame turned, the compressed frames) is reserved into
// `held`, from the budget of `limits`. False, with the reason in the result, when the road refuses the frames.
bool planFrames(FrameSource &frames, const RoadOptions &options, const Limits &limits, QList<Geometry> *plans,
                Reservation *held, RoadResult *result);

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
            result_.error = sink_.refusal();
        return ok;
    }

private:
    ByteSink &sink_;
    RoadResult &result_;
    QByteArray block_;
};

// Where the display's bytes go: the encoder as they come, or, compressed, a frame at a time into the packed
// frames, which are encoded once all are done.
class ByteStage {
public:
    // `keyEvery`: with `delta`, the frames stored whole (0: the first alone); `smallest`: each frame packed each way,
    // and the way whose frames take least kept.
    ByteStage(Encoder &encoder, bool compress, Codec codec, bool smallest, bool delta, int keyEvery)
        : encoder_(encoder), compress_(compress), delta_(delta), keyEvery_(keyEvery)
    {
        if (!smallest)
            ways_.append(Way{codec, {}, {}});
        else
            for (Codec way : {Codec::Stored, Codec::PackBits, Codec::Lz4})
                ways_.append(Way{way, {}, {}});
    }
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
        const qsizetype index = labels_.size() - 1;
        if (delta_) { // a frame after a key as its XOR with the one before it; the frame kept for the next
            const bool key = index == 0 || (keyEvery_ > 0 && index % keyEvery_ == 0);
            if (!key && previous_.size() == frame_.size()) {
                std::vector<std::uint8_t> change(frame_);
                for (std::size_t i = 0; i < change.size(); ++i)
                    change[i] ^= previous_[i];
                previous_.swap(frame_);
                frame_.swap(change);
            } else {
                previous_ = frame_;
            }
        }
        for (Way &way : ways_) {
            way.offsets.append(std::uint32_t(way.packed.size()));
            const std::int64_t count = std::int64_t(frame_.size());
            way.packed += way.codec == Codec::Lz4 ? packLz4(frame_.data(), count)
                          : way.codec == Codec::PackBits
                              ? packBits(frame_.data(), count)
                              : QByteArray(reinterpret_cast<const char *>(frame_.data()), qsizetype(count));
        }
        frame_.clear();
    }
    // Compressed: the frames, packed, one after the other, each after its label, through `encoder`.
    bool writePacked(Encoder &encoder, Output &output)
    {
        const Way &way = kept();
        for (qsizetype i = 0; i < way.offsets.size(); ++i) {
            encoder.frameStart(labels_[i], output.block());
            const qsizetype end = i + 1 < way.offsets.size() ? qsizetype(way.offsets[i + 1]) : way.packed.size();
            for (qsizetype at = way.offsets[i]; at < end; at += 4096) {
                encoder.bytes(reinterpret_cast<const std::uint8_t *>(way.packed.constData()) + at,
                              int(std::min<qsizetype>(4096, end - at)), output.block());
                if (!output.flush())
                    return false;
            }
            encoder.frameEnd(output.block());
        }
        return true;
    }
    const QByteArray &packed() const { return kept().packed; }
    QList<std::uint32_t> offsets() const
    {
        return kept().offsets + QList<std::uint32_t>{std::uint32_t(kept().packed.size())};
    }
    Codec codec() const { return kept().codec; }

private:
    // The frames packed one way, one after the other, and where each starts.
    struct Way {
        Codec codec;
        QByteArray packed;
        QList<std::uint32_t> offsets;
    };
    // The way kept: the one whose frames take least (the first of them, where two take as little).
    const Way &kept() const
    {
        const Way *least = &ways_.first();
        for (const Way &way : ways_)
            if (way.packed.size() < least->packed.size())
                least = &way;
        return *least;
    }
    Encoder &encoder_;
    bool compress_, delta_;
    int keyEvery_;
    QStringList labels_;
    std::vector<std::uint8_t> frame_, previous_;
    QList<Way> ways_;
};
