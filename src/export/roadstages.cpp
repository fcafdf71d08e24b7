#include "roadstages.h"

#include "export/filesave.h"
#include "export/lz4pack.h"
#include "export/packbits.h"
#include "imaging/tone.h"
#include "imaging/turn.h"

#include <QtAlgorithms>

#include <algorithm>

bool turnsAQuarter(const RoadOptions &options)
{
    return options.rotate == 90 || options.rotate == 270;
}

bool tonedBeforeTurn(const RoadOptions &options)
{
    return TurnedRows::holdsWhole(options.rotate, options.flip) && Tone::pointwise(options.tone);
}

int turnedBits(const RoadOptions &options)
{
    return tonedBeforeTurn(options) ? LevelValues(options.pixel, options.mask).bits() : 32;
}

PackOptions packingOf(const FrameSource &frames, const RoadOptions &options)
{
    PackOptions pack = options.pack;
    pack.pad = pack.pad || frames.tight();
    return pack;
}

std::uint32_t backgroundValue(const RoadOptions &options, int channels, bool complement)
{
    Tone tone(options.tone, options.pixel, 1);
    QRgb pixel = options.tone.background | 0xFF000000;
    std::uint8_t levels[3] = {};
    tone.row(&pixel, levels);
    const PixelFormatTraits &traits = traitsOf(options.pixel);
    std::uint32_t value = 0;
    for (int k = 0; k < channels; ++k) {
        const int max = traits.max[std::size_t(k)];
        const int bits = 32 - int(qCountLeadingZeroBits(quint32(max))); // the bits the channel's levels take
        value = value << bits | std::uint32_t(complement ? max - levels[k] : levels[k]);
    }
    return value;
}

FrameStages::FrameStages(PictureDecoder &decoder, const Placement &placement, const RoadOptions &options,
                         const PackOptions &pack, const Geometry &plan, int channels, std::uint8_t white)
    : resized(placement.resizes() ? std::make_optional<Resizer>(decoder, placement, options.resize.filter)
                                  : std::nullopt),
      early(tonedBeforeTurn(options)), mask(options.mask), values(options.pixel, options.mask),
      tone(
          [&] {
              ToneOptions tone = options.tone;
              tone.mayBeTransparent = resized || decoder.mayBeTransparent();
              return tone;
          }(),
          options.pixel, early ? (resized ? resized->width() : decoder.width()) : plan.width),
      read(early ? std::size_t(resized ? resized->width() : decoder.width()) * std::size_t(channels + 1) : 0),
      turned(resized ? *resized : decoder, options.rotate, options.flip, values.bits(),
             early ? TurnedRows::Make([this](QRgb *row) {
                 const int width = int(read.size()) / (tone.channels() + 1);
                 std::uint8_t *opaque = read.data() + std::size_t(width) * std::size_t(tone.channels());
                 if (mask) // from the alpha, before the tone lays the pixels over the background
                     opaqueRow(row, width, opaque);
                 tone.row(row, read.data());
                 values.pack(read.data(), opaque, width, row);
             })
                   : TurnedRows::Make()),
      packer(pack, options.pixel, plan.width), levels(std::size_t(plan.packedWidth) * std::size_t(channels), white),
      opaque(mask ? std::size_t(plan.width) : 0), out(levels.size()), shown(levels.size())
{
}

namespace {

// Frame i's sizes as turned and packed, before any of it is read; an error when the road refuses it.
Geometry planFrame(FrameSource &frames, int i, const RoadOptions &options, Refusal *error)
{
    const Placement place = placementOf(options.resize, frames.size(i), turnsAQuarter(options));
    const QSize size = place.resizes() ? place.output : frames.size(i);
    Geometry plan;
    if (!place.refusal.isEmpty()) {
        *error = place.refusal;
        return plan;
    }
    plan.width = turnsAQuarter(options) ? size.height() : size.width();
    plan.height = turnsAQuarter(options) ? size.width() : size.height();
    const Packer packer(packingOf(frames, options), options.pixel, plan.width);
    if (!packer.fits()) {
        *error = Refusal::of(turnsAQuarter(options) ? Refusal::Rule::MultipleTurned : Refusal::Rule::Multiple,
                             frames.what(i), plan.width, 8 / traitsOf(options.pixel).bits);
        return plan;
    }
    // White added to a whole byte across, or to a whole page down. The limits keep every side far below 2^31.
    plan.packedWidth = packer.packedWidth();
    plan.packedHeight = (plan.height + packer.unitRows() - 1) / packer.unitRows() * packer.unitRows();
    plan.dataBytes = plan.frameBytes = std::int64_t(packer.unitBytes()) * (plan.packedHeight / packer.unitRows());
    return plan;
}

} // namespace

bool planFrames(FrameSource &frames, const RoadOptions &options, const Limits &limits, QList<Geometry> *plans,
                Reservation *held, RoadResult *result)
{
    Geometry &g = result->geometry;
    std::int64_t pixels = 0;
    std::int64_t turned = 0;
    std::int64_t sum = 0;
    for (int i = 0; i < frames.count(); ++i) {
        plans->append(planFrame(frames, i, options, &result->error));
        if (!result->error.isEmpty())
            return false;
        const Geometry &p = plans->last();
        turned = std::max(turned,
                          TurnedRows::heldBytes(p.width, p.height, options.rotate, options.flip, turnedBits(options)) +
                              Resizer::heldBytes(placementOf(options.resize, frames.size(i), turnsAQuarter(options)),
                                                 frames.size(i), options.resize.filter));
        pixels += std::int64_t(p.width) * p.height;
        g.width = std::max(g.width, p.width);
        g.height = std::max(g.height, p.height);
        g.packedWidth = std::max(g.packedWidth, p.packedWidth);
        g.packedHeight = std::max(g.packedHeight, p.packedHeight);
        g.frameBytes = std::max(g.frameBytes, p.frameBytes);
        sum += p.frameBytes;
    }
    g.frames = int(plans->size());
    g.dataBytes = frames.tight() ? sum : g.frameBytes * g.frames;
    if (!limits.fitsPixels(pixels, Subject::Thing::Frames, &result->error))
        return false;
    // What is held whole: the picture to be turned (resized first, where it is), else the resized picture.
    const Subject::Thing whole = TurnedRows::holdsWhole(options.rotate, options.flip) ? Subject::Thing::TurnedPicture
                                                                                      : Subject::Thing::ResizedPicture;
    if (turned > 0 && !limits.reserve(turned, whole, held, &result->error))
        return false;
    const EncodeOptions &encode = options.encode;
    // Packed, a frame may grow by a byte in 128 and one more (PackBits), or a byte in 255 and 16 more (LZ4).
    const std::int64_t packBitsAtMost = g.dataBytes + g.dataBytes / 128 + g.frames;
    const std::int64_t lzAtMost = g.dataBytes + g.dataBytes / 255 + 16 * g.frames;
    const std::int64_t packedAtMost = options.smallest ? std::max(packBitsAtMost, lzAtMost)
                                      : options.lz     ? lzAtMost
                                                       : packBitsAtMost;
    const std::int64_t written = options.compress ? packedAtMost : g.dataBytes;
    if (encode.format == OutputFormat::IntelHex && encode.address + written > (std::int64_t(1) << 32)) {
        result->error = Refusal::of(Refusal::Rule::PastAddressing, {}, g.dataBytes, encode.address);
        return false;
    }
    if (!options.compress)
        return true;
    // Packed frames are held until the last is done (at most packedAtMost), with the frame being packed (and, with
    // LZ4, its bound); their offsets count 32 bits.
    if (packedAtMost >= std::int64_t(1) << 32) {
        result->error = Refusal::of(Refusal::Rule::OffsetsPast, {}, g.dataBytes, std::int64_t(1) << 32);
        return false;
    }
    if ((options.lz || options.smallest) && g.frameBytes > lz4MostBytes()) { // a block packs at most that
        result->error = Refusal::of(Refusal::Rule::FramePastBlock, {}, g.frameBytes, lz4MostBytes());
        return false;
    }
    // (with LZ4, the block being packed; as changes, the frame before and the change)
    const std::int64_t packing = (options.lz || options.smallest ? g.frameBytes + g.frameBytes / 255 + 16 : 0) +
                                 (options.delta ? 2 * g.frameBytes : 0);
    // (packed each way, all three held until the last frame: the frames stored, with PackBits and with LZ4)
    const std::int64_t eachWay = options.smallest ? g.dataBytes + packBitsAtMost + lzAtMost : packedAtMost;
    return limits.reserve(eachWay + g.frameBytes + packing, Subject::Thing::CompressedFrames, held, &result->error);
}

PackOptions MaskStage::packingOf(const PackOptions &pack)
{
    PackOptions mask = pack;
    mask.pad = true;     // whole bytes a row, whatever the data's pixels are
    mask.invert = false; // (the ink is the road's to read, never the packer's)
    return mask;
}

std::int64_t MaskStage::frameBytes(const PackOptions &pack, int width, int packedHeight)
{
    const Packer packer(packingOf(pack), PixelFormat::Mono, width);
    return std::int64_t(packer.unitBytes()) * (packedHeight / packer.unitRows());
}

void MaskStage::frameStart(int width)
{
    width_ = width;
    packer_.emplace(pack_, PixelFormat::Mono, width);
    row_.assign(std::size_t(packer_->packedWidth()), 0);
    frameStart_ = bytes_.size();
}

void MaskStage::row(const std::uint8_t *opaque)
{
    for (int x = 0; x < width_; ++x) { // the padding past the picture stays clear
        row_[std::size_t(x)] = opaque && opaque[x];
        transparent_ += opaque && !opaque[x];
    }
    if (!packer_->add(row_.data()))
        return;
    const std::uint8_t *unit = packer_->unit();
    for (int k = 0; k < packer_->unitBytes(); ++k)
        bytes_.append(unit[k]);
}

void MaskStage::frameEnd()
{
    while (bytes_.size() - frameStart_ < frameBytes_)
        bytes_.append(0);
}

FrameTable MaskStage::table() const
{
    return FrameTable(FrameValues::Mask, bytes_);
}
