#include "textpicture.h"

#include "glyphs/charsets.h"

#include <algorithm>
#include <unordered_map>

std::unique_ptr<RenderedText> RenderedText::open(std::unique_ptr<GlyphSource> glyphs, const QStringList &lines,
                                                 QList<QPoint> places, QSize canvas, const Limits &limits, Refusal *why)
{
    auto text = std::unique_ptr<RenderedText>(new RenderedText(limits));
    const int lineHeight = glyphs->lineMetrics()->height;
    std::unordered_map<char32_t, int> indexOf;
    // The pen in 64 bits: a long line passes any int, and its end is refused as a side past the limit.
    std::int64_t width = 1, height = 1;
    // A line lower than the one before: no lower than two sides down, below any canvas.
    const auto below = [lineHeight](QPoint above) {
        return QPoint(above.x(), int(std::min(std::int64_t(above.y()) + lineHeight, 2 * Limits::maxSide)));
    };
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (k >= places.size())
            places.append(k == 0 ? QPoint() : below(places[k - 1]));
        QList<int> line;
        std::int64_t pen = places[k].x();
        forEachCharacter(lines[k], [&](char32_t c) {
            const auto found = indexOf.find(c);
            const int i = found != indexOf.end() ? found->second : (indexOf[c] = glyphs->indexOf(c));
            if (i < 0) // not in the table (a line end): no glyph
                return;
            line.append(i);
            pen += glyphs->advance(i);
        });
        width = std::max(width, pen);
        height = std::max(height, std::int64_t(places[k].y()) + lineHeight);
        text->lines_.append(line);
    }
    if (canvas.isValid())
        width = canvas.width(), height = canvas.height();
    if (!limits.fitsPicture(width, height, why, {Subject::Thing::Text, 0}))
        return nullptr;
    text->canvas_ = QSize(int(width), int(height));
    text->glyphs_ = std::move(glyphs);
    text->places_ = places;
    return text;
}

std::unique_ptr<PictureDecoder> RenderedText::open(int, Refusal *why)
{
    Reservation held;
    if (!limits_.reserve(std::int64_t(canvas_.width()) * canvas_.height(), {Subject::Thing::Text, 0}, &held, why))
        return nullptr;
    auto picture = std::make_unique<CoveragePicture>(canvas_.width(), canvas_.height(), std::move(held));
    for (qsizetype k = 0; k < lines_.size(); ++k) {
        std::int64_t pen = places_[k].x();
        for (const int i : std::as_const(lines_[k])) {
            // No glyph's ink lies a side or more from its pen: one further off misses the canvas.
            if (pen > -Limits::maxSide && pen < canvas_.width() + Limits::maxSide)
                glyphs_->drawInto(i, int(pen), places_[k].y(), *picture);
            pen += glyphs_->advance(i);
        }
    }
    return picture;
}
