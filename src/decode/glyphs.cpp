// Glyphs through FreeType: outline fonts rendered in its monochrome mode, hinted, at the cell's height in pixels,
// the baseline at the font's ascent scaled to the cell; bitmap fonts (BDF, PCF) at their own size, pixel for pixel,
// the baseline at their FONT_ASCENT, each glyph placed by its bounding box. Either way a glyph is clipped to its
// cell.

#include "glyphs.h"

#include "decode/charsets.h"

#include <QFile>
#include <QFileInfo>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

class Font {
public:
    ~Font()
    {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_FreeType(library_);
    }

    // The font file at `path`, face `index`.
    static std::unique_ptr<Font> openFile(const QString &path, int index, QString *error)
    {
        auto font = std::unique_ptr<Font>(new Font);
        if (FT_Init_FreeType(&font->library_) != 0) {
            *error = QStringLiteral("cannot start FreeType");
            return nullptr;
        }
        const QByteArray file = QFile::encodeName(path);
        const FT_Error failed = FT_New_Face(font->library_, file.constData(), index, &font->face_);
        if (failed) {
            font->face_ = nullptr;
            *error = failed == FT_Err_Unknown_File_Format ? QStringLiteral("not a font FreeType reads")
                     : failed == FT_Err_Invalid_Argument
                         ? QStringLiteral("the collection has no face %1").arg(index)
                         : QStringLiteral("cannot read the font (FreeType error %1)").arg(failed);
            return nullptr;
        }
        font->name_ =
            font->face_->family_name ? QString::fromUtf8(font->face_->family_name) : QFileInfo(path).fileName();
        return font;
    }

    FT_Face face() const { return face_; }
    const QString &name() const { return name_; }
    bool isBitmap() const { return !FT_IS_SCALABLE(face_) && face_->num_fixed_sizes > 0; }
    // A bitmap font's pixel size.
    int strikeSize() const { return isBitmap() ? int((face_->available_sizes[0].y_ppem + 32) >> 6) : 0; }

private:
    Font() = default;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    QString name_;
};

namespace {

// The file fontconfig offers for `name`, a family with or without fontconfig's properties after it
// ("WenQuanYi Bitmap Song:pixelsize=16"); empty, with the reason, when it offers none of that family.
QString fileOfFamily(const QString &name, int *index, QString *error)
{
    const QString family = name.section(u':', 0, 0).trimmed();
    FcConfig *config = FcInitLoadConfigAndFonts();
    if (!config) {
        *error = QStringLiteral("fontconfig cannot be read");
        return {};
    }
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>(name.toUtf8().constData()));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(config, pattern, &result);
    QString file, offered;
    bool same = false;
    if (match) {
        FcChar8 *value = nullptr;
        for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &value) == FcResultMatch; ++n) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char *>(value));
            offered = offered.isEmpty() ? name : offered;
            same = same || name.compare(family, Qt::CaseInsensitive) == 0;
        }
        if (FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch)
            file = QString::fromUtf8(reinterpret_cast<const char *>(value));
        FcPatternGetInteger(match, FC_INDEX, 0, index);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    if (file.isEmpty() || !same) {
        *error = offered.isEmpty() ? QStringLiteral("no such font file, and no font of that family")
                                   : QStringLiteral("no such font file, and no font of that family (the nearest "
                                                    "fontconfig offers is '%1')")
                                         .arg(offered);
        return {};
    }
    return file;
}

// A rendered cell as a picture: black ink on white, a row at a time.
class CellPicture : public PictureDecoder {
public:
    CellPicture(int width, int height) : ink_(std::size_t(width) * std::size_t(height), 0)
    {
        width_ = width;
        height_ = height;
    }
    const char *format() const override { return "glyph"; }
    void set(int x, int y) { ink_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = 1; }

protected:
    bool decodeRow(int y, QRgb *row) override
    {
        const std::uint8_t *ink = ink_.data() + std::size_t(y) * std::size_t(width_);
        for (std::int64_t x = 0; x < width_; ++x)
            row[x] = ink[x] ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        return true;
    }

private:
    std::vector<std::uint8_t> ink_;
};

} // namespace

GlyphSource::~GlyphSource() = default;

std::unique_ptr<GlyphSource> GlyphSource::open(const QString &font, int fontIndex, const QList<char32_t> &characters,
                                               const GlyphOptions &options, const Limits &limits, QString *errorString)
{
    const auto fail = [&](const QString &why) -> std::unique_ptr<GlyphSource> {
        *errorString = why;
        return nullptr;
    };
    if (characters.isEmpty())
        return fail(QStringLiteral("no characters to draw"));
    QString file = font;
    int index = fontIndex;
    if (!QFileInfo(font).isFile()) {
        file = fileOfFamily(font, &index, errorString);
        if (file.isEmpty())
            return nullptr;
        index = fontIndex ? fontIndex : index;
    }
    auto source = std::unique_ptr<GlyphSource>(new GlyphSource);
    source->font_ = Font::openFile(file, index, errorString);
    if (!source->font_)
        return nullptr;
    source->options_ = options;
    source->characters_ = characters;
    Font &f = *source->font_;
    FT_Face face = f.face();

    // The cells' height: the bitmap font's own size, or the size asked.
    int size = options.cell.isValid() ? options.cell.height() : options.size;
    if (f.isBitmap()) {
        if (size == 0 || (options.size && options.size != f.strikeSize()))
            size = f.strikeSize();
        if (options.size && options.size != f.strikeSize())
            return fail(QStringLiteral("the bitmap font %1 has glyphs of %2 pixels, not %3 (leave out --size)")
                            .arg(f.name())
                            .arg(f.strikeSize())
                            .arg(options.size));
        FT_Select_Size(face, 0);
        BDF_PropertyRec ascent{};
        source->baseline_ =
            FT_Get_BDF_Property(face, "FONT_ASCENT", &ascent) == 0 && ascent.type == BDF_PROPERTY_TYPE_INTEGER
                ? ascent.u.integer
                : int(face->size->metrics.ascender >> 6);
    } else {
        size = size ? size : 16;
        if (!limits.fitsPicture(size, size, errorString, u"a glyph's cell"))
            return nullptr;
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
            return fail(QStringLiteral("the font %1 cannot be drawn %2 pixels high").arg(f.name()).arg(size));
        // The font's ascent and descent scaled to span the cell: the OS/2 table's typographic ones where it has
        // them (a CJK font's em box), else the font's.
        double ascent = face->ascender, descent = -face->descender;
        if (const auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            os2 && os2->version != 0xFFFF && os2->sTypoAscender > 0 && os2->sTypoDescender <= 0) {
            ascent = os2->sTypoAscender;
            descent = -os2->sTypoDescender;
        }
        source->baseline_ = ascent + descent > 0 ? int(std::lround(ascent * size / (ascent + descent))) : size;
    }

    for (const char32_t c : characters) {
        const bool present = FT_Get_Char_Index(face, FT_ULong(c)) != 0;
        if (!present && !options.missingBlank)
            return fail(QStringLiteral("the font %1 has no glyph for %2 (use --missing blank to leave its cell "
                                       "empty)")
                            .arg(f.name(), characterLabel(c)));
        if (options.index == CodeIndex::Gb2312 && gb2312Code(c) == 0)
            return fail(QStringLiteral("%1 has no GB2312 code (use --index unicode)").arg(characterLabel(c)));
        if (options.index == CodeIndex::Unicode && c > 0xFFFF)
            return fail(QStringLiteral("%1 does not fit the 16-bit table of codes").arg(characterLabel(c)));
        int width = isWide(c) ? size : size / 2;
        if (options.cell.isValid())
            width = options.cell.width();
        if (options.proportional) {
            width = 0;
            if (present && FT_Load_Char(face, FT_ULong(c), FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) == 0)
                width = int((face->glyph->advance.x + 32) >> 6);
            const int step = std::max(options.widthStep, 1);
            width = std::max(1, (width + step - 1) / step * step);
        }
        if (!limits.fitsPicture(width, size, errorString, u"a glyph's cell"))
            return nullptr;
        source->cells_.emplace_back(width, size);
        source->blank_.push_back(!present);
    }
    return source;
}

std::unique_ptr<PictureDecoder> GlyphSource::open(int i, QString *errorString)
{
    const QSize cell = cells_[std::size_t(i)];
    auto picture = std::make_unique<CellPicture>(cell.width(), cell.height());
    if (blank_[std::size_t(i)])
        return picture;
    FT_Face face = font_->face();
    const char32_t c = characters_[i];
    constexpr FT_Int32 mono = FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME;
    if (FT_Load_Char(face, FT_ULong(c), mono) != 0) {
        *errorString = QStringLiteral("the font %1 cannot draw %2").arg(font_->name(), characterLabel(c));
        return nullptr;
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
    if (!font_->isBitmap() && blank(face->glyph->bitmap))
        FT_Load_Char(face, FT_ULong(c), mono | FT_LOAD_FORCE_AUTOHINT);
    const FT_Bitmap &bitmap = face->glyph->bitmap;
    const int left = face->glyph->bitmap_left;
    const int top = baseline_ - face->glyph->bitmap_top;
    bool cut = false;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char *bits = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (bits[column >> 3] >> (7 - (column & 7))) & 1
                                                                     : bits[column] >= 128;
            if (!ink)
                continue;
            const int x = left + int(column), y = top + int(row);
            if (x < 0 || y < 0 || x >= cell.width() || y >= cell.height())
                cut = true;
            else
                picture->set(x, y);
        }
    }
    clipped_ += cut;
    return picture;
}

QString GlyphSource::label(int i) const
{
    return characterLabel(characters_[i]);
}

QList<FrameTable> GlyphSource::tables() const
{
    FrameTable codes{QStringLiteral("_codes"),
                     2,
                     options_.index == CodeIndex::Gb2312 ? QStringLiteral("GB2312 codes")
                                                         : QStringLiteral("Unicode code points"),
                     {}};
    for (const char32_t c : characters_)
        codes.values.append(options_.index == CodeIndex::Gb2312 ? gb2312Code(c) : std::uint32_t(c));
    QList<FrameTable> tables{codes};
    if (options_.proportional) {
        FrameTable widths{QStringLiteral("_widths"), 1, QStringLiteral("cell widths"), {}};
        for (const QSize &cell : cells_) {
            widths.values.append(std::uint32_t(cell.width()));
            widths.bytes = cell.width() > 255 ? 2 : widths.bytes;
        }
        tables.append(widths);
    }
    return tables;
}
