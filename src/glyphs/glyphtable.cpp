// Glyphs through FreeType: outline fonts in its monochrome mode, hinted (or anti-aliased, for grey), from the
// face's bitmap strike of the cell's height where it has one, else at the largest size at which the ink of the
// whole set fits the cell's height; bitmap fonts (BDF, PCF) at their own size, pixel for pixel, the baseline at
// their FONT_ASCENT. Each glyph is drawn once, and placed in its cell by its bounding box; what still does not fit
// is cut at the cell's edges, and named.

#include "glyphtable.h"

#include "glyphs/charsets.h"
#include "glyphs/font.h"

#include FT_BDF_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <thread>
#include <unordered_map>

GlyphSource::GlyphSource(const Limits &limits) : limits_(limits) {}
GlyphSource::~GlyphSource() = default;

std::unique_ptr<GlyphSource> GlyphSource::open(const QString &font, int fontIndex, const QList<char32_t> &characters,
                                               const GlyphOptions &options, const Limits &limits, Refusal *why,
                                               TextLines strings)
{
    if (characters.isEmpty()) {
        *why = Refusal::Rule::NoCharacters;
        return nullptr;
    }
    int index = 0;
    const QString file = fontFile(font, fontIndex, &index, why);
    if (file.isEmpty())
        return nullptr;
    auto source = std::unique_ptr<GlyphSource>(new GlyphSource(limits));
    source->font_ = Font::openFile(file, index, limits, why);
    if (!source->font_)
        return nullptr;
    source->options_ = options;
    source->characters_ = characters;
    source->strings_ = std::move(strings);
    const int height = source->cellHeight(why);
    if (height == 0 || !source->checkCharacters(why) || !source->indexStrings(why) || !source->drawToFit(height, why) ||
        !source->measureCells(height, why))
        return nullptr;
    source->place(height);
    source->makeTables();
    return source;
}

int GlyphSource::cellHeight(Refusal *why)
{
    const Font &f = *font_;
    const int size = options_.cell.isValid() ? options_.cell.height() : options_.size;
    if (f.isBitmap()) {
        if (options_.size && options_.size != f.strikeSize()) {
            *why = Refusal::of(Refusal::Rule::Strike, {Subject::Thing::Font, f.name()}, f.strikeSize(), options_.size);
            return 0;
        }
        // A line of the font, its ascent and descent, unless a size is asked: no glyph of it is cut. The cells'
        // widths stay the font's size. A grid's cells are square, the font's size each way, as character-library
        // chips and files have them (the baseline stays at the ascent: a descent deeper than the cell is cut).
        em_ = f.strikeSize();
        FT_Select_Size(f.face(), 0);
        const Font::Line line = f.bitmapLine();
        if (size || options_.grid)
            return size ? size : em_;
        return line.ascent + line.descent > 0 ? line.ascent + line.descent : f.strikeSize();
    }
    const int em = size ? size : 16;
    if (!limits_.fitsPicture(em, em, why, {Subject::Thing::Cell, -1}))
        return 0;
    em_ = em;
    return em_;
}

bool GlyphSource::checkCharacters(Refusal *why)
{
    FT_Face face = font_->face();
    for (const char32_t c : std::as_const(characters_)) {
        if (options_.grid && c == 0) { // an empty code of the grid
            blank_.push_back(true);
            continue;
        }
        const bool present = FT_Get_Char_Index(face, FT_ULong(c)) != 0;
        if (!present && !options_.missingBlank) {
            *why = Refusal::of(Refusal::Rule::NoGlyph, {Subject::Thing::Font, font_->name()}, c, 0);
            return false;
        }
        if (options_.index == CodeIndex::Gb2312 && gb2312Code(c) == 0) {
            *why = Refusal::of(Refusal::Rule::NoCode, {}, c, 0);
            return false;
        }
        if (options_.index == CodeIndex::Unicode && c > 0xFFFF) {
            *why = Refusal::of(Refusal::Rule::CodeWidth, {}, c, 0xFFFF);
            return false;
        }
        blank_.push_back(!present);
    }
    return true;
}

bool GlyphSource::indexStrings(Refusal *why)
{
    std::unordered_map<char32_t, std::uint32_t> indexOf;
    std::uint32_t i = 0;
    for (const char32_t c : std::as_const(characters_)) { // a character's first glyph
        if (c || !options_.grid)                          // the grid's empty codes are no character
            indexOf.emplace(c, i);
        ++i;
    }
    // Room for the codes, the advances and the boxes before them, filled in by makeTables().
    tables_.fill(FrameTable(FrameValues::Widths), 3);
    for (qsizetype line = 0; line < strings_.lines.size(); ++line) {
        const QString &text = strings_.lines[line];
        qsizetype characters = 0;
        forEachCharacter(text, [&](char32_t) { ++characters; });
        // Held beside the line itself: its values, a character's and the end's, and its table in the list of
        // tables, and in a copy of it that an output may make.
        const std::int64_t bytes = 2 * std::int64_t(sizeof(FrameTable)) + 4 * (characters + 1) + 48;
        if (!limits_.reserve(bytes, Subject::Thing::StringIndices, &strings_.held, why))
            return false;
        FrameTable string{FrameValues::String, {}, int(line), text};
        string.values.reserve(characters + 1);
        std::optional<char32_t> missing;
        forEachCharacter(text, [&](char32_t c) {
            const auto found = indexOf.find(c);
            if (found == indexOf.end())
                missing = missing.value_or(c);
            else
                string.values.append(found->second);
        });
        if (missing) { // only the grid leaves a character out: GB2312 has no code for it
            *why = Refusal::of(Refusal::Rule::NoCell, {}, *missing, 0);
            return false;
        }
        string.values.append(endMark());
        tables_.append(std::move(string));
    }
    return true;
}

QRect GlyphSource::inkBox(int i) const
{
    const Drawn &glyph = drawn_[std::size_t(i)];
    if (blank_[std::size_t(i)] || glyph.width == 0 || glyph.height == 0)
        return {};
    // The rows and columns that hold ink: FreeType's bitmap may have empty ones at its edges.
    int left = glyph.width, right = -1, top = glyph.height, bottom = -1;
    for (int row = 0; row < glyph.height; ++row)
        for (int column = 0; column < glyph.width; ++column)
            if (glyph.ink[std::size_t(row) * std::size_t(glyph.width) + std::size_t(column)]) {
                left = std::min(left, column);
                right = std::max(right, column);
                top = std::min(top, row);
                bottom = std::max(bottom, row);
            }
    if (right < 0)
        return {};
    return QRect(places_[std::size_t(i)] + QPoint(left, top), QPoint(places_[std::size_t(i)] + QPoint(right, bottom)));
}

QSize GlyphSource::size(int i) const
{
    return options_.crop ? inkBox(i).size() : cells_[std::size_t(i)];
}

std::unique_ptr<PictureDecoder> GlyphSource::open(int i, Refusal *why)
{
    const QSize size = this->size(i);
    Reservation held;
    if (!limits_.reserve(std::int64_t(size.width()) * size.height(), what(i), &held, why))
        return nullptr;
    auto picture = std::make_unique<CoveragePicture>(size.width(), size.height(), std::move(held));
    // Only the ink inside the cell is drawn, from the box's corner when cropped.
    const QPoint origin = options_.crop ? inkBox(i).topLeft() : QPoint();
    inkInto(drawn_[std::size_t(i)], places_[std::size_t(i)] - origin, *picture);
    return picture;
}

void GlyphSource::inkInto(const Drawn &glyph, QPoint at, CoveragePicture &picture)
{
    const int firstRow = std::max(0, -at.y()), lastRow = std::min(glyph.height, picture.height() - at.y());
    const int firstColumn = std::max(0, -at.x()), lastColumn = std::min(glyph.width, picture.width() - at.x());
    for (int row = firstRow; row < lastRow; ++row)
        for (int column = firstColumn; column < lastColumn; ++column)
            picture.deepen(at.x() + column, at.y() + row,
                           glyph.ink[std::size_t(row) * std::size_t(glyph.width) + std::size_t(column)]);
}

std::optional<LineMetrics> GlyphSource::lineMetrics() const
{
    LineMetrics line;
    for (const QSize &cell : cells_)
        line.cell = line.cell.expandedTo(cell);
    line.height = line.cell.height();
    line.baseline = baseline_;
    line.pixels = font_->isBitmap() ? font_->strikeSize() : strike_ >= 0 ? em_ : pixels_;
    return line;
}

int GlyphSource::indexOf(char32_t c) const
{
    return int(characters_.indexOf(c));
}

int GlyphSource::advance(int i) const
{
    return blank_[std::size_t(i)] ? cells_[std::size_t(i)].width() : std::max(drawn_[std::size_t(i)].advance, 0);
}

void GlyphSource::drawInto(int i, int x, int y, CoveragePicture &canvas) const
{
    if (blank_[std::size_t(i)])
        return;
    const Drawn &glyph = drawn_[std::size_t(i)];
    inkInto(glyph, {x + glyph.left, y + baseline_ - glyph.top}, canvas);
}

bool GlyphSource::bitmapFont() const
{
    return font_->isBitmap();
}

QString GlyphSource::characterOf(int i) const
{
    if (options_.grid && characters_[i] == 0)
        return QStringLiteral("GB2312 %1, empty").arg(QString::number(0xA1A1 + (i / 94 << 8) + i % 94, 16).toUpper());
    return characterLabel(characters_[i]);
}

QString GlyphSource::label(int i) const
{
    return QStringLiteral("%1: ").arg(i) + characterOf(i); // its index in the table
}

QList<FrameTable> GlyphSource::tables() const
{
    return tables_;
}

void GlyphSource::makeTables()
{
    QList<FrameTable> tables; // before the strings' tables
    // The grid's codes are where the cells are.
    const bool gb2312 = options_.index == CodeIndex::Gb2312;
    FrameTable codes{gb2312 ? FrameValues::Gb2312Codes : FrameValues::UnicodeCodes, {}};
    for (const char32_t c : characters_)
        codes.values.append(gb2312 ? gb2312Code(c) : std::uint32_t(c));
    if (!options_.grid && options_.index != CodeIndex::None)
        tables.append(codes);
    // Each glyph's advance, where firmware puts the next one; a blank cell's width.
    FrameTable widths{FrameValues::Widths, {}};
    for (std::size_t i = 0; i < drawn_.size(); ++i)
        widths.values.append(std::uint32_t(advance(int(i))));
    tables.append(widths);
    if (options_.crop) { // x, y, width, height and advance, a glyph's five
        // x from the pen and y from the cell's top are signed (a glyph may start left of its pen): two's
        // complement in a byte, or in 16 bits where a value passes a byte.
        bool bytes = true;
        for (int i = 0; i < count(); ++i) {
            const QRect box = inkBox(i);
            bytes = bytes && box.x() >= -128 && box.x() <= 127 && box.y() >= -128 && box.y() <= 127 &&
                    box.width() <= 255 && box.height() <= 255 && widths.values[i] <= 255;
        }
        const std::uint32_t mask = bytes ? 0xFF : 0xFFFF;
        FrameTable boxes{FrameValues::Boxes, {}};
        for (int i = 0; i < count(); ++i) {
            const QRect box = inkBox(i);
            boxes.values << (std::uint32_t(box.x()) & mask) << (std::uint32_t(box.y()) & mask)
                         << std::uint32_t(box.width()) << std::uint32_t(box.height()) << widths.values[i];
        }
        boxes.minBytes = bytes ? 1 : 2;
        tables.append(boxes);
    }
    std::move(tables.begin(), tables.end(), tables_.begin()); // in the room kept before the strings
    tables_.remove(tables.size(), 3 - tables.size());
}
