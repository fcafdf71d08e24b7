#pragma once

#include "core/refusal.h"

#include "decode/decoder.h"

#include <QList>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

// Pictures that go down the road one after another as frames of one output: a picture alone, the glyphs of a
// font, an animation's frames, the tiles of a sheet.

// What the frames are: an output names and arranges them by it. Text is one picture of lines drawn with a font's
// glyphs, whose ink is the 1 bits on every display, as a glyph's is.
enum class FrameKind { Picture, Glyphs, Animation, Tiles, Text };

// Values that go with the frames, one a frame, and what they are: how an output writes them (a name, a value
// type) is the output's.
enum class FrameValues { Gb2312Codes, UnicodeCodes, Widths, Delays, Offsets, Boxes, String, Mask };
struct FrameTable {
    FrameTable(FrameValues kind, QList<std::uint32_t> values = {}, int index = 0, QString comment = {})
        : kind(kind), values(std::move(values)), index(index), comment(std::move(comment))
    {
    }
    FrameValues kind;
    QList<std::uint32_t> values;
    int index;        // a string's: which line it is
    QString comment;  // a string's line
    int minBytes = 1; // a value's bytes at the least, whatever the largest value takes (signed values)
};

// A glyph table's line of text: its height (the cells', every glyph's ink within them as the font places it),
// the baseline's row from the cell's top, the cell every glyph is drawn in (cropped glyphs store a box of it),
// and the size they were drawn at (pixels to the em).
struct LineMetrics {
    int height = 0;
    int baseline = 0;
    QSize cell;
    int pixels = 0;
};

class FrameSource {
public:
    virtual ~FrameSource() = default;

    virtual FrameKind kind() const = 0;
    virtual int count() const = 0;
    // Frame i's size, before it is turned; known before any frame is read.
    virtual QSize size(int i) const = 0;
    // Before any frame is opened: frame i decoded at the smallest size the picture's format can that is at least
    // `atLeast` (a JPEG alone, by DCT scaling; nothing else changes), and started; size(i) then says that size.
    // False, with the reason, when it cannot start.
    virtual bool prepare([[maybe_unused]] int i, [[maybe_unused]] QSize atLeast, [[maybe_unused]] Refusal *why)
    {
        return true;
    }
    // Frame i, read from its first row; the frames are opened in order. Null, with the reason, when it cannot be
    // read.
    virtual std::unique_ptr<PictureDecoder> open(int i, Refusal *why) = 0;

    // What frame i is, as a refusal of it names it.
    virtual Subject what([[maybe_unused]] int i) const { return {}; }
    // A line that goes before frame i's data in text output, or none.
    virtual QString label([[maybe_unused]] int i) const { return {}; }
    // The values that go with the frames.
    virtual QList<FrameTable> tables() const { return {}; }
    // Whether the frames are stored as they are, each of its own size, one after the other (with where each
    // starts), rather than as the rows of a table of the largest frame's size.
    virtual bool tight() const { return false; }
    // A glyph table's line of text; none for pictures.
    virtual std::optional<LineMetrics> lineMetrics() const { return std::nullopt; }
    // Whether the frames are the cells of the GB2312 grid, in code order, where a code's cell is found by its
    // code alone.
    virtual bool gb2312Grid() const { return false; }
};

// A picture alone: one frame, as the decoder reads it.
class SinglePicture : public FrameSource {
public:
    explicit SinglePicture(PictureDecoder &decoder) : decoder_(decoder) {}
    FrameKind kind() const override { return FrameKind::Picture; }
    int count() const override { return 1; }
    QSize size(int) const override { return {decoder_.width(), decoder_.height()}; }
    bool prepare(int i, QSize atLeast, Refusal *why) override;
    std::unique_ptr<PictureDecoder> open(int i, Refusal *why) override;

private:
    PictureDecoder &decoder_;
    bool opened_ = false;
};
