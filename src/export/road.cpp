#include "road.h"

#include "decode/decoder.h"
#include "export/filesave.h"
#include "export/framelayout.h"
#include "export/header.h"
#include "export/packbits.h"
#include "export/preview.h"
#include "imaging/readahead.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "export/roadstages.h"

RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, const Limits &limits, ByteSink &sink)
{
    SinglePicture picture(decoder);
    return runRoad(picture, options, limits, sink);
}

namespace {

// One run of the road, split by how often each part runs: the plan once, then each frame (its stages set up,
// then its rows), then the finish once.
class Road {
public:
    Road(FrameSource &frames, const RoadOptions &options, const Limits &limits, ByteSink &sink, RoadResult &result)
        : frames_(frames), options_(options), limits_(limits), result_(result), output_(sink, result)
    {
    }

    // Every frame's geometry, the budget for what is held whole, the encoder the format chooses (which knows
    // whether it draws levels or takes the display's bytes), the sheet; false, with the reason, when refused.
    bool plan();
    // Frame i down the road, decode -> resize -> turn -> tone -> pack -> encode, a row at a time (a pointwise
    // tone before a turn that holds the picture); false when a row cannot
    // be read or written.
    bool frame(int i);
    // The sheet drawn, the preview ended, the packed frames with their offsets, the trailer.
    bool finish();

private:
    // Which way the levels go to the display and back to the eye, from the ink, --invert and the frames' kind.
    void planPolarity();
    // The mask's size, its memory, its place after the other tables; false when the memory is refused.
    bool planMask();
    // Where each frame of tight frames starts, a table before the others.
    void planOffsets();
    // The sheet several frames are drawn or previewed on, and its memory; `shown` takes its size. False when
    // refused.
    bool planSheet(Geometry *shown);
    // The encoder's header (unless compressed), the first progress, the preview; false when a write fails.
    bool start();
    // The arrays a name makes of data of `geometry` and the tables, for the encoder and the header alike.
    void planArrays(const Geometry &geometry)
    {
        tables_.removeIf([this](const FrameTable &t) { return options_.omit.contains(t.kind); });
        const QString &name = encode_.name;
        encode_.arrays = result_.arrays =
            ::planArrays(name, name.toUpper() + u'_', geometry, layout_, options_.compress || tight_, tables_);
    }
    bool rows(int i, FrameStages &stages);
    // Whether the encoder took what it was handed; false, with its reason, when it stopped.
    bool encoded()
    {
        if (encoder_->refusal().isEmpty())
            return true;
        result_.error = encoder_->refusal();
        return false;
    }
    // A row of levels (of frame i, row y; `pixels` of it the picture's, the rest padding) to where it goes: the
    // preview, the sheet or the encoder, the packer.
    void levels(int i, int y, int pixels, FrameStages &stages);

    FrameSource &frames_;
    const RoadOptions &options_;
    const Limits &limits_;
    RoadResult &result_;
    Output output_;
    QList<Geometry> plans_;
    Reservation held_;
    EncodeOptions encode_;
    FrameLayout layout_;
    QList<FrameTable> tables_; // the frames' tables, and where the frames start where they are one after another
    int channels_ = 1;
    std::uint8_t white_ = 0;
    // The picture's levels complemented for the display, and the padding's level; whether the display's levels
    // are shown complemented (mono: a 1 bit drawn black), or, with no ink known, the tone's levels are shown.
    bool complement_ = false;
    std::uint8_t padding_ = 0;
    bool mapped_ = false;
    bool shownComplemented_ = false;
    bool shownAsToned_ = true;
    bool drawn_ = false;
    bool tight_ = false; // the frames one after the other, each of its own size
    bool sheetPreview_ = false;
    std::optional<Sheet> sheet_;
    std::unique_ptr<Encoder> encoder_;
    std::optional<ByteStage> bytes_;
    std::optional<TerminalPreview> preview_;
    std::optional<MaskStage> mask_;
};

bool Road::plan()
{
    // Each frame decoded no larger than it needs to be (a JPEG brought to a smaller size), and started: a
    // picture that cannot start is refused before anything is written.
    for (int i = 0; i < frames_.count(); ++i)
        if (!frames_.prepare(i, placementOf(options_.resize, frames_.size(i), turnsAQuarter(options_)).scaled,
                             &result_.error))
            return false;
    if (!planFrames(frames_, options_, limits_, &plans_, &held_, &result_))
        return false;
    const Geometry &g = result_.geometry;
    const bool several = g.frames > 1;
    channels_ = traitsOf(options_.pixel).channels;
    white_ = Tone(options_.tone, options_.pixel, 0).white();
    planPolarity();
    result_.background = backgroundValue(options_, channels_, complement_);
    encode_ = options_.encode;
    encode_.notes += pixelFormatNotes(options_.pixel, options_.pack);
    layout_ = layoutOf(frames_.kind(), frames_.count());
    tight_ = frames_.tight();
    if (frames_.kind() == FrameKind::Glyphs) {
        const std::optional<LineMetrics> line = frames_.lineMetrics();
        const bool varying =
            std::any_of(plans_.begin(), plans_.end(), [&](const Geometry &p) { return p.width != g.width; });
        encode_.glyphTable = result_.glyphTable =
            GlyphTableShape{g.frames, tight_, varying && !tight_, g.width, g.height, line ? line->height : g.height};
    }
    tables_ = frames_.tables();
    if (tight_ && !options_.compress)
        planOffsets();
    if (options_.mask && !planMask())
        return false;
    planArrays(g);
    drawn_ = makeEncoder(encode_, options_.pixel, g)->takesLevels();
    // Several frames drawn as one picture (PBM, PNG), or previewed as a sheet, are held as the sheet, within the
    // memory limit; a picture alone streams.
    sheetPreview_ = options_.preview && several && layout_.previewsSheet;
    Geometry shown = g; // what a picture output draws: the sheet, or the one picture
    if (several && (drawn_ || sheetPreview_) && !planSheet(&shown))
        return false;
    encoder_ = makeEncoder(encode_, options_.pixel, drawn_ ? shown : g);
    bytes_.emplace(*encoder_, options_.compress, options_.lz ? Codec::Lz4 : Codec::PackBits, options_.smallest,
                   options_.delta, options_.keyEvery);
    return start();
}

void Road::planOffsets()
{
    // Where each frame starts, known from the plan.
    std::uint32_t at = 0;
    for (const Geometry &p : std::as_const(plans_)) {
        result_.offsets.append(at);
        at += std::uint32_t(p.frameBytes);
    }
    result_.offsets.append(at);
    const FrameTable offsets{FrameValues::Offsets, result_.offsets};
    result_.offsetBytes = layoutOf(offsets).bytes;
    tables_.prepend(offsets);
}

bool Road::planSheet(Geometry *shown)
{
    sheet_.emplace(plans_, layout_.sheetColumns, channels_, white_);
    // Its sides must stay ints for the encoders; its bytes are what limits it.
    constexpr std::int64_t widest = std::int64_t(1) << 30;
    if (sheet_->width() >= widest || sheet_->height() >= widest) {
        result_.error = Refusal::ofSize(Refusal::Rule::SheetTooLarge, Subject::Thing::Sheet, sheet_->width(),
                                        sheet_->height(), widest);
        return false;
    }
    if (!limits_.reserve(sheet_->bytes(), Subject::Thing::Sheet, &held_, &result_.error))
        return false;
    sheet_->allocate();
    shown->packedWidth = int(sheet_->width());
    shown->packedHeight = int(sheet_->height());
    return true;
}

bool Road::start()
{
    const Geometry &g = result_.geometry;
    if (!options_.compress) // compressed, the header waits for the sizes
        encoder_->begin(output_.block());
    if (options_.rowsDone) {
        if (!output_.flush(true))
            return false;
        options_.rowsDone(0);
    }
    if (options_.preview) {
        preview_.emplace(sheetPreview_ ? int(sheet_->width()) : plans_.first().packedWidth, options_.previewColumns,
                         options_.pixel, options_.previewColour, options_.pack.ink == Ink::Lit, options_.preview);
        if (options_.previewNote)
            options_.previewNote(
                {g.frames > 1 && !layout_.previewsSheet ? g.frames : 0, preview_->factor(), options_.previewColumns});
    }
    return true;
}

bool Road::planMask()
{
    Geometry &g = result_.geometry;
    for (const Geometry &p : std::as_const(plans_))
        g.maskBytes = std::max(g.maskBytes, MaskStage::frameBytes(options_.pack, p.width, p.packedHeight));
    // Held until the last frame is read: a value a byte in the table, and its copy for the output.
    if (!limits_.reserve(8 * g.maskBytes * g.frames, Subject::Thing::Mask, &held_, &result_.error))
        return false;
    mask_.emplace(options_.pack, g.maskBytes);
    tables_.append(FrameTable(FrameValues::Mask));
    return true;
}

void Road::planPolarity()
{
    // The tone's levels: black a 1 in mono, the brighter the larger in grey and colour. A display with a known
    // ink wants a picture's levels as it lights (a bright pixel a 1 on a lit display) and a glyph as ink (its
    // pixels the 1 bits on every display); padding is never lit nor inked.
    const Ink ink = options_.pack.ink;
    const bool tonedBright = !traitsOf(options_.pixel).mono();
    const bool wantedBright = ink == Ink::Unknown ? tonedBright
                                                  : ink == Ink::Lit && frames_.kind() != FrameKind::Glyphs &&
                                                        frames_.kind() != FrameKind::Text;
    complement_ = (tonedBright != wantedBright) != options_.pack.invert;
    padding_ = ink == Ink::Unknown ? white_ : 0;
    mapped_ = complement_ || padding_ != white_;
    shownAsToned_ = ink == Ink::Unknown;
    shownComplemented_ = (ink == Ink::Lit) != tonedBright;
}

bool Road::frame(int i)
{
    if (plans_[i].frameBytes == 0) { // a frame without pixels (a cropped space): its label alone
        bytes_->frameStart(frames_.label(i), output_.block());
        bytes_->frameEnd(output_.block());
        return output_.flush();
    }
    const std::unique_ptr<PictureDecoder> decoder = frames_.open(i, &result_.error);
    if (!decoder) {
        output_.flush(true);
        return false;
    }
    const Placement placement = placementOf(options_.resize, frames_.size(i), turnsAQuarter(options_));
    FrameStages stages(*decoder, placement, options_, packingOf(frames_, options_), plans_[i], channels_, white_);
    if (mask_)
        mask_->frameStart(plans_[i].width);
    bytes_->frameStart(frames_.label(i), output_.block());
    if (!rows(i, stages))
        return false;
    result_.greysAsWhite += stages.tone.greysAsWhite();
    if (mask_)
        mask_->frameEnd();
    // A smaller frame's row of the table ends in zeros.
    static constexpr std::uint8_t zeros[4096] = {};
    const Geometry &g = result_.geometry;
    for (std::int64_t left = drawn_ || options_.compress || tight_ ? 0 : g.frameBytes - plans_[i].frameBytes; left > 0;
         left -= std::int64_t(sizeof zeros)) {
        bytes_->bytes(zeros, int(std::min<std::int64_t>(left, sizeof zeros)), output_.block());
        if (!output_.flush())
            return false;
    }
    bytes_->frameEnd(output_.block());
    return true;
}

bool Road::rows(int i, FrameStages &stages)
{
    const Geometry &p = plans_[i];
    ReadAhead ahead(stages.turned); // decoding, and turning, on a thread of their own from here on
    for (int y = 0; y < p.packedHeight; ++y) {
        if (y < p.height) {
            QRgb *pixels = ahead.next();
            if (!pixels) {
                output_.flush(true);
                result_.error = ahead.refusal();
                return false;
            }
            if (stages.early) {
                stages.values.unpack(pixels, p.width, stages.levels.data(), stages.opaque.data());
            } else {
                if (mask_) // from the alpha, before the tone lays the pixels over the background
                    opaqueRow(pixels, p.width, stages.opaque.data());
                stages.tone.row(pixels, stages.levels.data());
            }
            if (mask_)
                mask_->row(stages.opaque.data());
        } else { // a page's padding rows
            if (mask_)
                mask_->row(nullptr);
            std::fill(stages.levels.begin(), stages.levels.end(), white_);
        }
        levels(i, y, y < p.height ? p.width : 0, stages);
        if (!encoded() || !output_.flush(bool(options_.rowsDone)))
            return false;
        if (options_.rowsDone && i == 0 && y < p.height)
            options_.rowsDone(y + 1);
    }
    return true;
}

void Road::levels(int i, int y, int pixels, FrameStages &stages)
{
    const std::uint8_t *toned = stages.levels.data();
    const std::uint8_t *out = toned;
    const std::size_t count = stages.levels.size();
    const PixelFormatTraits &traits = traitsOf(options_.pixel);
    const std::size_t picture = std::size_t(pixels) * std::size_t(channels_);
    const auto complemented = [&](const std::uint8_t *from, std::size_t k) {
        return std::uint8_t(traits.max[k % std::size_t(channels_)] - from[k]);
    };
    if (mapped_) {
        for (std::size_t k = 0; k < picture; ++k)
            stages.out[k] = complement_ ? complemented(toned, k) : toned[k];
        std::fill(stages.out.begin() + std::ptrdiff_t(picture), stages.out.end(), padding_);
        out = stages.out.data();
    }
    const std::uint8_t *shown = shownAsToned_ ? toned : out;
    if (!shownAsToned_ && shownComplemented_ && (drawn_ || sheet_ || (preview_ && i == 0))) {
        for (std::size_t k = 0; k < count; ++k)
            stages.shown[k] = complemented(out, k);
        shown = stages.shown.data();
    }
    if (preview_ && !sheetPreview_ && i == 0)
        preview_->addRow(shown);
    if (sheet_)
        sheet_->put(i, y, shown, int(count));
    else if (drawn_)
        encoder_->levels(shown, output_.block());
    if (drawn_ || !stages.packer.add(out))
        return;
    bytes_->bytes(stages.packer.unit(), stages.packer.unitBytes(), output_.block());
}

bool Road::finish()
{
    for (std::int64_t y = 0; sheet_ && y < sheet_->height(); ++y) {
        if (drawn_)
            encoder_->levels(sheet_->row(y), output_.block());
        if (sheetPreview_)
            preview_->addRow(sheet_->row(y));
        if (!encoded() || !output_.flush())
            return false;
    }
    if (preview_)
        preview_->finish();
    if (options_.compress) { // the header and the packed frames, now that their sizes are known
        result_.compressedBytes = bytes_->packed().size();
        result_.offsets = bytes_->offsets();
        result_.codec = bytes_->codec();
        const FrameTable offsets{FrameValues::Offsets, result_.offsets};
        result_.offsetBytes = layoutOf(offsets).bytes;
        tables_.prepend(offsets);
        Geometry packed = result_.geometry;
        packed.dataBytes = result_.compressedBytes;
        planArrays(packed);
        encoder_ = makeEncoder(encode_, options_.pixel, packed);
        encoder_->begin(output_.block());
        if (!bytes_->writePacked(*encoder_, output_))
            return false;
    }
    if (mask_) { // the mask after the data and the other tables, now that the frames are read
        const FrameTable mask = mask_->table();
        encoder_->setValues(result_.arrays.size() - 1, mask);
        result_.arrays.last().values = mask;
        result_.transparent = mask_->transparent();
    }
    const bool ended = encoder_->end(output_.block(), [this] { return output_.flush(); });
    if (!encoded() || !ended)
        return false;
    result_.lossless = encoder_->lossless();
    return output_.flush(true);
}

} // namespace

RoadResult runRoad(FrameSource &frames, const RoadOptions &options, const Limits &limits, ByteSink &sink)
{
    RoadResult result;
    Road road(frames, options, limits, sink, result);
    if (!road.plan())
        return result;
    for (int i = 0; i < result.geometry.frames; ++i)
        if (!road.frame(i))
            return result;
    result.ok = road.finish();
    return result;
}
