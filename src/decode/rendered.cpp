#include "rendered.h"

#include "decode/charsets.h"

#include <algorithm>
#include <unordered_map>

std::unique_ptr<RenderedText> RenderedText::open(std::unique_ptr<GlyphSource> glyphs, const QStringList &lines,
                                                 QList<QPoint> places, QSize canvas, const Limits &limits, Refusal *why)
{
    auto text = std::unique_ptr<RenderedText>(new RenderedText);
    const int lineHeight = glyphs->lineMetrics()->height;
    std::unordered_map<char32_t, int> indexOf;
    QSize extent(1, 1);
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (k >= places.size()) // a line lower than the one before
            places.append(k == 0 ? QPoint() : places[k - 1] + QPoint(0, lineHeight));
        QList<int> line;
        int pen = places[k].x();
        forEachCharacter(lines[k], [&](char32_t c) {
            const auto found = indexOf.find(c);
            const int i = found != indexOf.end() ? found->second : (indexOf[c] = glyphs->indexOf(c));
            if (i < 0) // not in the table (a line end): no glyph
                return;
            line.append(i);
            pen += glyphs->advance(i);
        });
        extent = extent.expandedTo(QSize(pen, places[k].y() + lineHeight));
        text->lines_.append(line);
    }
    text->canvas_ = canvas.isValid() ? canvas : extent;
    if (!limits.fitsPicture(text->canvas_.width(), text->canvas_.height(), why, {Subject::Thing::Text, 0}))
        return nullptr;
    text->glyphs_ = std::move(glyphs);
    text->places_ = places;
    text->limits_ = limits;
    return text;
}

std::unique_ptr<PictureDecoder> RenderedText::open(int, Refusal *why)
{
    Reservation held;
    if (!limits_.reserve(std::int64_t(canvas_.width()) * canvas_.height(), {Subject::Thing::Text, 0}, &held, why))
        return nullptr;
    auto picture = std::make_unique<CoveragePicture>(canvas_.width(), canvas_.height(), std::move(held));
    for (qsizetype k = 0; k < lines_.size(); ++k) {
        int pen = places_[k].x();
        for (const int i : std::as_const(lines_[k])) {
            glyphs_->drawInto(i, pen, places_[k].y(), *picture);
            pen += glyphs_->advance(i);
        }
    }
    return picture;
}
