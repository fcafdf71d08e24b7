// Fitting glyphs to their cells: each drawn once, at the size the set fits (a bitmap font's own, a face's
// strike, or the largest outline size at which the set's ink fits the cells), one baseline for all, and each
// placed where its pen puts it.

#include "glyphtable.h"

#include "glyphs/charsets.h"
#include "glyphs/font.h"

#include <algorithm>
#include <cmath>
#include <thread>

bool GlyphSource::wide(std::size_t i) const
{
    return options_.grid || isWide(characters_[qsizetype(i)]);
}

int GlyphSource::widthToFit(std::size_t i, int height) const
{
    if (options_.proportional)
        return 0;
    if (options_.cell.isValid())
        return options_.cell.width();
    return wide(i) ? height : 0;
}

int GlyphSource::estimatedSize(int height)
{
    // Every glyph's outline as designed, unscaled and unhinted: the set's highest and lowest ink, and how much of
    // its cell's width the widest glyph takes; and the few glyphs that reach highest, lowest and widest.
    FT_Face face = font_->face();
    FT_Pos highest = 0, lowest = 0;
    double across = 0;
    std::vector<std::pair<double, std::size_t>> up, down, wide;
    for (std::size_t i = 0; i < blank_.size(); ++i) {
        if (blank_[i] || FT_Load_Char(face, FT_ULong(characters_[qsizetype(i)]),
                                      FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            continue;
        const FT_Glyph_Metrics &m = face->glyph->metrics;
        if (m.height == 0)
            continue;
        highest = std::max(highest, m.horiBearingY);
        lowest = std::min(lowest, m.horiBearingY - m.height);
        up.emplace_back(-double(m.horiBearingY), i);
        down.emplace_back(double(m.horiBearingY - m.height), i);
        if (const int width = widthToFit(i, height)) {
            across = std::max(across, double(m.width) / std::max(width - 1, 1));
            wide.emplace_back(-double(m.width) / width, i);
        }
    }
    extremes_.clear();
    for (auto *list : {&up, &down, &wide}) {
        const auto end = list->begin() + std::ptrdiff_t(std::min<std::size_t>(list->size(), 12));
        std::partial_sort(list->begin(), end, list->end());
        for (auto at = list->begin(); at != end; ++at)
            extremes_.push_back(at->second);
    }
    const double rows = double(highest - lowest) / std::max(height - 1, 1);
    const double unitsAPixel = std::max(rows, across); // each edge may round out by a pixel
    if (unitsAPixel <= 0)
        return height;
    return std::clamp(int(std::floor(face->units_per_EM / unitsAPixel)), 1, height);
}

bool GlyphSource::extremesFit(int size, int height)
{
    FT_Face face = font_->face();
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
        return false;
    const FT_Int32 flags = options_.grey ? FT_LOAD_RENDER : FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME;
    int above = 0, below = 0;
    for (const std::size_t i : extremes_) {
        if (FT_Load_Char(face, FT_ULong(characters_[qsizetype(i)]), flags) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.rows == 0)
            continue;
        above = std::max(above, slot->bitmap_top);
        below = std::max(below, int(slot->bitmap.rows) - slot->bitmap_top);
        if (const int width = widthToFit(i, height); width && int(slot->bitmap.width) > width)
            return false;
    }
    return above + below <= height;
}

bool GlyphSource::fits(int height) const
{
    if (extent().height() > height)
        return false;
    for (std::size_t i = 0; i < drawn_.size(); ++i)
        if (const int width = widthToFit(i, height); width && drawn_[i].width > width)
            return false;
    return true;
}

bool GlyphSource::drawToFit(int height, Refusal *why)
{
    Font &f = *font_;
    FT_Face face = f.face();
    if (f.isBitmap()) { // at the strike cellHeight selected
        strike_ = 0;
        return drawAll(why);
    }
    for (int k = 0; k < face->num_fixed_sizes; ++k) // a bitmap strike the face holds for this size
        if ((face->available_sizes[k].y_ppem + 32) >> 6 == height && !options_.grey && FT_Select_Size(face, k) == 0) {
            strike_ = k;
            return drawAll(why);
        }
    // The largest size at which the set's ink fits the height, as drawn (hinting may move an edge by a pixel).
    // The size estimated from the outlines is tried first on the glyphs that reach furthest, a few dozen, going
    // up while the next size still fits them or down until one does; the whole set is then drawn at it, and
    // smaller while some other glyph does not fit.
    int size = estimatedSize(height);
    if (extremesFit(size, height)) {
        while (size < height && extremesFit(size + 1, height))
            ++size;
    } else {
        while (size > 1 && !extremesFit(size, height))
            --size;
    }
    for (int tries = 0;; ++tries, --size) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) {
            *why = Refusal::of(Refusal::Rule::SizeUndrawable, {Subject::Thing::Font, f.name()}, size, 0);
            return false;
        }
        pixels_ = size;
        if (!drawAll(why))
            return false;
        if (fits(height) || size == 1 || tries == 3)
            return true;
    }
}

bool GlyphSource::drawAll(Refusal *why)
{
    const std::size_t count = blank_.size();
    drawn_.clear();
    drawn_.resize(count);
    held_ = {};
    // A large set is drawn by two threads, each with a FreeType of its own, the second taking the second half:
    // FreeType draws every glyph alike whichever face it is.
    std::unique_ptr<Font> twin;
    if (count >= 512 && std::thread::hardware_concurrency() > 1 && (twin = font_->twin(limits_)) &&
        (strike_ >= 0 ? FT_Select_Size(twin->face(), strike_) : FT_Set_Pixel_Sizes(twin->face(), 0, FT_UInt(pixels_))))
        twin.reset();
    const std::size_t half = twin ? count / 2 : count;
    Refusal secondRefusal;
    bool secondDrawn = true;
    std::exception_ptr thrown;
    std::thread second;
    if (twin)
        second = std::thread([&] {
            try {
                secondDrawn = drawRange(*twin, half, count, &held_[1], &secondRefusal);
            } catch (...) { // running out of memory: thrown again where the caller can catch it
                thrown = std::current_exception();
            }
        });
    bool drawn = false;
    try {
        drawn = drawRange(*font_, 0, half, &held_[0], why);
    } catch (...) {
        if (second.joinable())
            second.join();
        throw;
    }
    if (second.joinable())
        second.join();
    if (thrown)
        std::rethrow_exception(thrown);
    if (drawn && !secondDrawn)
        *why = secondRefusal;
    return drawn && secondDrawn;
}

bool GlyphSource::drawRange(Font &font, std::size_t first, std::size_t end, Reservation *held, Refusal *why)
{
    for (std::size_t i = first; i < end; ++i)
        if (!blank_[i] && !draw(font, characters_[qsizetype(i)], &drawn_[i], held, why))
            return false;
    return true;
}

bool GlyphSource::draw(Font &font, char32_t c, Drawn *glyph, Reservation *held, Refusal *why)
{
    FT_Face face = font.face();
    const FT_Int32 flags = options_.grey ? FT_LOAD_RENDER : FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME;
    if (const FT_Error failed = FT_Load_Char(face, FT_ULong(c), flags)) {
        *why = font.refusedMemory()
                   ? Refusal::of(Refusal::Rule::Held, {Subject::Thing::Drawing, c}, 0, limits_.maxHeldBytes())
                   : Refusal::of(Refusal::Rule::GlyphUndrawable, {Subject::Thing::Font, font.name()}, c, 0)
                         .saying(freeTypeError(failed));
        return false;
    }
    // A font's own hints can lose a thin stroke altogether in black and white (a box-drawing line, a bracket):
    // a glyph they leave blank is drawn again with FreeType's own hinting.
    const auto blank = [](const FT_Bitmap &b) {
        for (unsigned row = 0; row < b.rows; ++row)
            for (int k = 0; k < std::abs(b.pitch); ++k)
                if (b.buffer[std::ptrdiff_t(row) * b.pitch + k])
                    return false;
        return true;
    };
    if (!font.isBitmap() && !options_.grey && blank(face->glyph->bitmap))
        FT_Load_Char(face, FT_ULong(c), flags | FT_LOAD_FORCE_AUTOHINT);
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap &bitmap = slot->bitmap;
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->width = int(bitmap.width);
    glyph->height = int(bitmap.rows);
    glyph->advance = int((slot->advance.x + 32) >> 6);
    const std::int64_t bytes = std::int64_t(bitmap.width) * bitmap.rows;
    if (!limits_.reserve(bytes, Subject::Thing::Glyphs, held, why))
        return false;
    glyph->ink.resize(std::size_t(bytes));
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char *bits = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
        std::uint8_t *into = glyph->ink.data() + std::size_t(row) * bitmap.width;
        for (unsigned column = 0; column < bitmap.width; ++column)
            into[column] = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                               ? ((bits[column >> 3] >> (7 - (column & 7))) & 1) * 255
                           : bitmap.pixel_mode == FT_PIXEL_MODE_GRAY ? bits[column]
                                                                     : 0;
    }
    return true;
}

GlyphSource::Extent GlyphSource::extent() const
{
    Extent e;
    for (const Drawn &glyph : drawn_)
        if (glyph.height > 0) {
            e.above = std::max(e.above, glyph.top);
            e.below = std::max(e.below, glyph.height - glyph.top);
        }
    return e;
}

bool GlyphSource::measureCells(int height, Refusal *why)
{
    for (std::size_t i = 0; i < blank_.size(); ++i) {
        int width = options_.cell.isValid() ? options_.cell.width() : wide(i) ? em_ : em_ / 2;
        if (options_.proportional) {
            const int step = std::max(options_.widthStep, 1);
            // A glyph that does not move the pen (a blank, a combining mark) still has a cell of a step.
            width = std::max(step, (drawn_[i].advance + step - 1) / step * step);
        }
        if (options_.crop) // the ink is kept whole across; only its box is stored
            width = std::max(width, drawn_[i].width);
        if (!limits_.fitsPicture(width, height, why, {Subject::Thing::Cell, characters_[qsizetype(i)]}))
            return false;
        cells_.emplace_back(width, height);
    }
    return true;
}

void GlyphSource::place(int height)
{
    // One baseline for all: a bitmap font's own ascent; else the set's ink in the middle of the cell where it
    // fits, or, where it cannot, where it cuts the fewest glyphs.
    const Extent e = extent();
    if (font_->isBitmap()) {
        baseline_ = font_->bitmapLine().ascent;
    } else if (e.height() <= height) {
        baseline_ = e.above + (height - e.height()) / 2;
    } else {
        // The baseline that cuts the fewest glyphs, and of those the fewest rows of ink: glyphs and rows cut,
        // first taken at baseline 0.
        std::pair<int, int> least;
        for (int baseline = 0; baseline <= height; ++baseline) {
            std::pair<int, int> cut{0, 0};
            for (const Drawn &glyph : drawn_) {
                const int rows =
                    std::max(glyph.top - baseline, 0) + std::max(glyph.height - glyph.top - (height - baseline), 0);
                cut.first += glyph.height > 0 && rows > 0;
                cut.second += glyph.height > 0 ? rows : 0;
            }
            if (baseline == 0 || cut < least) {
                least = cut;
                baseline_ = baseline;
            }
        }
    }
    // Across, each glyph where its pen puts it; in a cell of its own, moved in where that would cut it and its
    // ink fits the cell. A cropped glyph is stored whole, its box where the font puts it, from the pen.
    for (std::size_t i = 0; i < drawn_.size(); ++i) {
        const Drawn &glyph = drawn_[i];
        const int width = cells_[i].width();
        int x = glyph.left;
        if (glyph.width <= width && !options_.crop)
            x = std::clamp(x, 0, width - glyph.width);
        const int y = baseline_ - glyph.top;
        places_.emplace_back(x, y);
        if (options_.crop)
            continue;
        const bool across = x < 0 || x + glyph.width > width, down = y < 0 || y + glyph.height > height;
        if (glyph.height > 0 && (across || down))
            cut_.append(characters_[qsizetype(i)]);
        cutDown_ = cutDown_ || (glyph.height > 0 && down);
    }
}
