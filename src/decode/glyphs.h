#pragma once

#include "core/refusal.h"

#include "core/limits.h"
#include "decode/frames.h"

#include <QList>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The glyph source: characters drawn by a font into cells, each cell a small picture (black ink on white) that
// goes down the road as a frame of a glyph table.

class Font;

// Which code the table of a glyph table's characters holds.
enum class CodeIndex { Gb2312, Unicode };

struct GlyphOptions {
    int size = 0;              // the cells' height in pixels; 0: a bitmap font's own, 16 for an outline font
    QSize cell;                // one size for every cell, when valid
    bool proportional = false; // each cell as wide as its glyph's advance
    int widthStep = 1;         // proportional cells' widths rounded up to a multiple of this (8 for whole bytes)
    bool missingBlank = false; // a character the font has no glyph for: a blank cell, not a refusal
    CodeIndex index = CodeIndex::Gb2312;
};

class GlyphSource : public FrameSource {
public:
    ~GlyphSource() override;

    // The font `font` (a file, or a family name fontconfig knows; `fontIndex` in a collection) drawing
    // `characters`. Null, with the reason, when the font cannot be found or read, a character has no glyph
    // (unless missingBlank) or no code in the index, or a size passes the limits.
    static std::unique_ptr<GlyphSource> open(const QString &font, int fontIndex, const QList<char32_t> &characters,
                                             const GlyphOptions &options, const Limits &limits, Refusal *errorString);

    FrameKind kind() const override { return FrameKind::Glyphs; }
    int count() const override { return int(characters_.size()); }
    QSize size(int i) const override { return cells_[std::size_t(i)]; }
    std::unique_ptr<PictureDecoder> open(int i, Refusal *errorString) override;
    QString label(int i) const override;
    QString what(int i) const override { return QStringLiteral("the cell of ") + label(i); }
    QList<FrameTable> tables() const override;

    // Glyphs that did not fit their cell and were cut at its edge.
    int clipped() const { return clipped_; }

private:
    GlyphSource() = default;
    // Sets the font's size for the cells and finds the baseline; the cells' height, or 0 with the reason.
    int sizeFont(Refusal *errorString);
    // Each character's cell, `size` high; false, with the reason, when a character cannot have one.
    bool measureCells(int size, Refusal *errorString);

    std::unique_ptr<Font> font_;
    QList<char32_t> characters_;
    std::vector<QSize> cells_;
    std::vector<bool> blank_;
    GlyphOptions options_;
    Limits limits_;
    int baseline_ = 0;
    int clipped_ = 0;
};
