#pragma once

#include "core/limits.h"
#include "core/refusal.h"
#include "decode/frames.h"
#include "glyphs/glyphtable.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <memory>

// Lines of text drawn with a font's glyphs into one picture, as the drawing runtime draws a string: each glyph's
// ink where the font puts it from the pen (tessaline_glyph's box of a cropped table), the pen moved on by the
// glyph's advance, the line's top `baseline` rows above the baseline.
class RenderedText : public FrameSource {
public:
    // `lines` (each character one of `glyphs`' table), line k with its pen starting at places[k]: x, and the
    // line's top; a line past the places given goes a line lower than the one before, at its x (the first at
    // 0, 0). The picture is `canvas` big, or, invalid, as big as the lines as placed (at least 1 x 1). Null, with
    // the reason, when the canvas passes the limits.
    static std::unique_ptr<RenderedText> open(std::unique_ptr<GlyphSource> glyphs, const QStringList &lines,
                                              QList<QPoint> places, QSize canvas, const Limits &limits, Refusal *why);

    const GlyphSource &glyphs() const { return *glyphs_; }

    FrameKind kind() const override { return FrameKind::Text; }
    int count() const override { return 1; }
    QSize size(int) const override { return canvas_; }
    std::unique_ptr<PictureDecoder> open(int i, Refusal *why) override;

private:
    explicit RenderedText(const Limits &limits) : limits_(limits) {}

    std::unique_ptr<GlyphSource> glyphs_;
    QList<QList<int>> lines_; // each line's glyphs
    QList<QPoint> places_;
    QSize canvas_;
    Limits limits_;
};
