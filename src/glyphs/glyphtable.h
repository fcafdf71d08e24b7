#pragma once

#include "core/refusal.h"

#include "core/limits.h"
#include "glyphs/charsets.h"
#include "decode/frames.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The glyph source: characters drawn by a font into cells, each cell a small picture (black ink on white) that
// goes down the road as a frame of a glyph table.

class CoveragePicture;
class Font;

// Which code the table of a glyph table's characters holds.
// What NAME_codes holds: each glyph's GB2312 code, its code point, or nothing (a picture of the text, which
// writes no table of codes).
enum class CodeIndex { Gb2312, Unicode, None };

struct GlyphOptions {
    int size = 0;              // the cells' height in pixels; 0: a bitmap font's own, 16 for an outline font
    QSize cell;                // one size for every cell, when valid
    bool proportional = false; // each cell as wide as its glyph's advance
    int widthStep = 1;         // proportional cells' widths rounded up to a multiple of this (8 for whole bytes)
    bool missingBlank = false; // a character the font has no glyph for: a blank cell, not a refusal
    CodeIndex index = CodeIndex::Gb2312;
    bool grey = false; // anti-aliased, the coverage as grey; else hinted black and white
    bool grid = false; // the characters are the GB2312 grid, 0 for an empty code: every cell square, no codes
    bool crop = false; // each glyph its ink's box alone, with a table of the boxes
};

// The font file `font` names: itself, or the file fontconfig offers for a family (with or without properties
// after it, "WenQuanYi Bitmap Song:pixelsize=16"), and in `index` the face to draw: `fontIndex` in a file (-1:
// the first), fontconfig's choice in a family, which takes no `fontIndex`. Empty, with the reason, when it names
// no font file.
QString fontFile(const QString &font, int fontIndex, int *index, Refusal *error);

class GlyphSource : public FrameSource {
public:
    ~GlyphSource() override;

    // The font `font` (a file, or a family name fontconfig knows; `fontIndex` in a collection, -1 the first) drawing
    // `characters`. Null, with the reason, when the font cannot be found or read, a character has no glyph
    // (unless missingBlank) or no code in the index, or a size passes the limits.
    // `strings`' lines become tables of their characters' indices, each ended by endMark().
    static std::unique_ptr<GlyphSource> open(const QString &font, int fontIndex, const QList<char32_t> &characters,
                                             const GlyphOptions &options, const Limits &limits, Refusal *why,
                                             TextLines strings = {});

    FrameKind kind() const override { return FrameKind::Glyphs; }
    int count() const override { return int(characters_.size()); }
    QSize size(int i) const override;
    std::unique_ptr<PictureDecoder> open(int i, Refusal *why) override;
    QString label(int i) const override;
    Subject what(int i) const override { return {Subject::Thing::Cell, characters_[i]}; }
    QList<FrameTable> tables() const override;
    bool tight() const override { return options_.crop; }
    bool gb2312Grid() const override { return options_.grid; }
    std::optional<LineMetrics> lineMetrics() const override;

    // What ends each string's indices: 0xFF, or 0xFFFF in a table of 255 glyphs or more.
    std::uint32_t endMark() const { return characters_.size() < 0xFF ? 0xFF : 0xFFFF; }

    // The characters whose glyphs do not fit their cells, cut at the edges.
    const QList<char32_t> &cut() const { return cut_; }
    // Whether some are cut at the top or the bottom, not only at the sides.
    bool cutDown() const { return cutDown_; }
    // Whether the font is a bitmap font, drawn at its own size alone.
    bool bitmapFont() const;

    // Glyph i of the table that draws character c; -1 where there is none.
    int indexOf(char32_t c) const;
    // Glyph i's advance, where the pen goes next (a blank cell's width).
    int advance(int i) const;
    // Glyph i's ink where the font puts it, with the pen at x and the line's top at y, into `canvas` (the most of
    // the two kept); what falls outside is left out.
    void drawInto(int i, int x, int y, CoveragePicture &canvas) const;

private:
    // A glyph as FreeType drew it: its ink's coverage (0 to 255 a pixel, row by row), where that lies from the pen
    // on the baseline, and the advance to the next glyph.
    struct Drawn {
        int left = 0;
        int top = 0; // the ink's first row, above the baseline
        int width = 0;
        int height = 0;
        int advance = 0;
        std::vector<std::uint8_t> ink;
    };
    // The glyph's ink with its top-left corner at `at` in `picture`, but for what falls outside.
    static void inkInto(const Drawn &glyph, QPoint at, CoveragePicture &picture);
    // The character of glyph i, as comments and messages name it.
    QString characterOf(int i) const;
    explicit GlyphSource(const Limits &limits);
    // The cells' height: a bitmap font's own size, or the size asked; 0 with the reason.
    int cellHeight(Refusal *why);
    // Whether every character has a glyph (or may be blank) and a code in the index.
    bool checkCharacters(Refusal *why);
    // Whether glyph i takes a wide cell (every cell of the grid is square).
    bool wide(std::size_t i) const;
    // The width glyph i must fit when cells are `height` high: a wide character's cell, or --cell's; 0 where
    // it need not (a narrow character may pass its half-width cell, and is named).
    int widthToFit(std::size_t i, int height) const;
    // The size, from the unscaled outlines, at which the set's ink would span `height` pixels (and the width of
    // the cells it must fit).
    int estimatedSize(int height);
    // Whether the glyphs that reach furthest (extremes_, found by estimatedSize()) fit cells `height` high when
    // drawn at `size` pixels.
    bool extremesFit(int size, int height);
    // Whether the glyphs as drawn fit cells `height` high.
    bool fits(int height) const;
    // Draws every glyph at the size that fits `height`: a bitmap font's, a strike's, or the outline's largest.
    bool drawToFit(int height, Refusal *why);
    bool drawAll(Refusal *why);
    // Draws glyphs first to end (not including it) with `font`, holding their ink in `held`.
    bool drawRange(Font &font, std::size_t first, std::size_t end, Reservation *held, Refusal *why);
    bool draw(Font &font, char32_t c, Drawn *glyph, Reservation *held, Refusal *why);
    // The most rows of ink above and below the baseline.
    struct Extent {
        int above = 0;
        int below = 0;
        int height() const { return above + below; }
    };
    Extent extent() const;
    // Each character's cell, `height` high; false, with the reason, when a character cannot have one.
    bool measureCells(int height, Refusal *why);
    // The baseline, and where each glyph's ink lies in its cell.
    void place(int height);
    // Glyph i's ink inside its cell: where it lies there, and its size.
    QRect inkBox(int i) const;
    // Each string's indices, or the first character not in the table.
    bool indexStrings(Refusal *why);
    // The tables that go with the glyphs: their codes, advances and boxes, before the strings' indices.
    void makeTables();

    std::unique_ptr<Font> font_;
    QList<char32_t> characters_;
    std::vector<QSize> cells_;
    std::vector<bool> blank_;
    std::vector<Drawn> drawn_;
    std::array<Reservation, 2> held_; // the ink drawn, by each thread that drew it
    int strike_ = -1;                 // the bitmap strike drawn from, or
    int pixels_ = 0;                  // the outline's size in pixels
    std::vector<QPoint> places_;
    std::vector<std::size_t> extremes_; // the glyphs that reach highest, lowest and widest as designed
    GlyphOptions options_;
    Limits limits_;
    int em_ = 0;       // the font's size in the cells: a wide cell's width, twice a narrow one's
    int baseline_ = 0; // rows from the cell's top
    QList<char32_t> cut_;
    bool cutDown_ = false;
    TextLines strings_;
    QList<FrameTable> tables_;
};

// A picture of ink: a byte of coverage a pixel (0 none, 255 full), given as grey on white, black where full; its
// bytes reserved by the caller.
class CoveragePicture : public PictureDecoder {
public:
    CoveragePicture(int width, int height, Reservation held)
        : held_(std::move(held)), ink_(std::size_t(width) * std::size_t(height), 0)
    {
        width_ = width;
        height_ = height;
    }
    // Ink at (x, y), the more of it kept where some is already.
    void deepen(int x, int y, std::uint8_t coverage)
    {
        std::uint8_t &at = ink_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
        at = std::max(at, coverage);
    }

protected:
    bool decodeRow(int y, QRgb *row) override
    {
        const std::uint8_t *ink = ink_.data() + std::size_t(y) * std::size_t(width_);
        for (std::int64_t x = 0; x < width_; ++x)
            row[x] = qRgb(255 - ink[x], 255 - ink[x], 255 - ink[x]);
        return true;
    }

private:
    Reservation held_;
    std::vector<std::uint8_t> ink_;
};
