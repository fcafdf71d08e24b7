// Glyphs through FreeType: outline fonts in its monochrome mode, hinted (or anti-aliased, for grey), from the
// face's bitmap strike of the cell's height where it has one, else at the largest size at which the ink of the
// whole set fits the cell's height; bitmap fonts (BDF, PCF) at their own size, pixel for pixel, the baseline at
// their FONT_ASCENT. Each glyph is drawn once, and placed in its cell by its bounding box; what still does not fit
// is cut at the cell's edges, and named.

#include "glyphs.h"

#include "decode/charsets.h"

#include <QFile>
#include <QFileInfo>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BZIP2_H
#include FT_GZIP_H
#include FT_LZW_H
#include FT_MODULE_H
#include FT_BDF_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <unordered_map>

#include <sys/mman.h>

namespace {

// FreeType's own words for its errors, from its table of them.
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {v, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST                                                                                              \
    {                                                                                                                  \
        0, nullptr                                                                                                     \
    }                                                                                                                  \
    }                                                                                                                  \
    ;
const struct {
    int code;
    const char *message;
} freeTypeErrors[] =
#include FT_ERRORS_H

    QString freeTypeError(FT_Error error)
{
    for (const auto &e : freeTypeErrors)
        if (e.message && e.code == error)
            return QString::fromLatin1(e.message).toLower();
    return QString::number(error);
}

// FreeType's memory, every block of it taken from the budget first: a font's glyphs and tables count as the
// pictures do. Each block keeps its size in front of it.
struct BudgetMemory {
    FT_MemoryRec_ manager{};
    Reservation held;
    std::shared_ptr<Budget> budget;
    bool refused = false;
};

constexpr std::size_t blockHead = alignof(std::max_align_t);

void *allocate(FT_Memory memory, long size)
{
    auto *m = static_cast<BudgetMemory *>(memory->user);
    if (size <= 0 || !m->budget->take(m->held, size)) {
        m->refused = size > 0;
        return nullptr;
    }
    auto *block = static_cast<char *>(std::malloc(blockHead + std::size_t(size)));
    if (!block) {
        m->held.giveBack(size);
        return nullptr;
    }
    std::memcpy(block, &size, sizeof size);
    return block + blockHead;
}

void release(FT_Memory memory, void *data)
{
    if (!data)
        return;
    char *block = static_cast<char *>(data) - blockHead;
    long size = 0;
    std::memcpy(&size, block, sizeof size);
    static_cast<BudgetMemory *>(memory->user)->held.giveBack(size);
    std::free(block);
}

void *reallocate(FT_Memory memory, long, long size, void *data)
{
    void *grown = allocate(memory, size);
    if (!grown)
        return nullptr;
    if (data) {
        long old = 0;
        std::memcpy(&old, static_cast<char *>(data) - blockHead, sizeof old);
        std::memcpy(grown, data, std::size_t(std::min(old, size)));
        release(memory, data);
    }
    return grown;
}

// The first bytes of a compressed font (PCF and BDF files are often gzipped), and FreeType's stream for each.
FT_Error (*decompressorFor(const QByteArray &head))(FT_Stream, FT_Stream)
{
    if (head.startsWith("\x1F\x8B"))
        return FT_Stream_OpenGzip;
    if (head.startsWith("\x1F\x9D"))
        return FT_Stream_OpenLZW;
    if (head.startsWith("BZh"))
        return FT_Stream_OpenBzip2;
    return nullptr;
}

// Bytes that grow without being copied: the kernel moves a mapping's pages to where it has room for more, so
// holding n bytes never takes twice n on the way.
class GrowingBytes {
public:
    GrowingBytes() = default;
    GrowingBytes(const GrowingBytes &) = delete;
    GrowingBytes &operator=(const GrowingBytes &) = delete;
    ~GrowingBytes()
    {
        if (capacity_)
            ::munmap(data_, capacity_);
    }
    char *data() const { return static_cast<char *>(data_); }
    std::size_t size() const { return size_; }
    // Makes the size `size`, the new bytes zero; false when the memory cannot be had.
    bool resize(std::size_t size)
    {
        if (size > capacity_) {
            const std::size_t capacity = std::max(size, 2 * capacity_);
            void *grown = capacity_
                              ? ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE)
                              : ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (grown == MAP_FAILED)
                return false;
            data_ = grown;
            capacity_ = capacity;
        }
        size_ = size;
        return true;
    }

private:
    void *data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace

class Font {
public:
    ~Font()
    {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_Library(library_);
    }

    // The font file at `path`, face `index`; every byte FreeType takes for it within the budget of `limits`.
    static std::unique_ptr<Font> openFile(const QString &path, int index, const Limits &limits, Refusal *error)
    {
        auto font = std::unique_ptr<Font>(new Font);
        if (!font->startFreeType(limits)) {
            *error = Refusal(Refusal::Rule::LibraryFailed).saying(QStringLiteral("FreeType"));
            return nullptr;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = Refusal(Refusal::Rule::ReadFailed, {Subject::Thing::Font, 0, path}).saying(file.errorString());
            return nullptr;
        }
        if (const auto decompressor = decompressorFor(file.peek(4))) {
            if (!font->inflate(file, decompressor, limits, error))
                return nullptr;
        } else if (!font->readWhole(file, limits, &font->bytes_, error)) {
            return nullptr;
        }
        const auto faceFailure = [&](FT_Error failed) -> Refusal {
            if (font->memory_.refused)
                return Refusal::of(Refusal::Rule::Held, Subject::Thing::Font, 0, limits.maxHeldBytes());
            if (failed == FT_Err_Unknown_File_Format)
                return Refusal::Rule::NotAFont;
            if (failed == FT_Err_Invalid_Argument && index > 0) {
                FT_Face probe = nullptr;
                const long faces = font->openFace(-1, &probe) == 0 ? probe->num_faces : 0;
                if (probe)
                    FT_Done_Face(probe);
                return Refusal::of(Refusal::Rule::NoSuchFace, Subject::Thing::Font, index, faces);
            }
            return Refusal(Refusal::Rule::FontUnreadable, Subject::Thing::Font).saying(freeTypeError(failed));
        };
        font->data_ = font->bytes_.data();
        font->size_ = font->bytes_.size();
        font->index_ = index;
        if (const FT_Error failed = font->openFace(index, &font->face_)) {
            font->face_ = nullptr;
            *error = faceFailure(failed);
            return nullptr;
        }
        font->name_ =
            font->face_->family_name ? QString::fromUtf8(font->face_->family_name) : QFileInfo(path).fileName();
        if (const QString table = font->tablePastTheEnd(index); !table.isEmpty()) {
            *error = Refusal(Refusal::Rule::TablePastEnd, Subject::Thing::Font).saying(table);
            return nullptr;
        }
        return font;
    }

    // The same face on the same bytes, with a FreeType of its own, for a second thread to draw with; null when
    // it cannot be had. It must not outlive this font.
    std::unique_ptr<Font> twin(const Limits &limits) const
    {
        auto font = std::unique_ptr<Font>(new Font);
        font->data_ = data_;
        font->size_ = size_;
        font->index_ = index_;
        font->name_ = name_;
        if (!font->startFreeType(limits) || font->openFace(index_, &font->face_) != 0)
            return nullptr;
        return font;
    }

    FT_Face face() const { return face_; }
    const QString &name() const { return name_; }
    bool isBitmap() const { return !FT_IS_SCALABLE(face_) && face_->num_fixed_sizes > 0; }
    // A bitmap font's pixel size.
    int strikeSize() const { return isBitmap() ? int((face_->available_sizes[0].y_ppem + 32) >> 6) : 0; }
    // Whether FreeType was refused memory since the font was opened.
    bool refusedMemory() const { return memory_.refused; }

private:
    Font() = default;

    bool startFreeType(const Limits &limits)
    {
        memory_.budget = limits.budget;
        memory_.manager = {&memory_, allocate, release, reallocate};
        if (FT_New_Library(&memory_.manager, &library_) != 0)
            return false;
        FT_Add_Default_Modules(library_);
        FT_Set_Default_Properties(library_);
        return true;
    }
    FT_Error openFace(long index, FT_Face *face)
    {
        const bool read = bytes_.size() > 0;
        return FT_New_Memory_Face(library_, reinterpret_cast<const FT_Byte *>(read ? bytes_.data() : data_),
                                  FT_Long(read ? bytes_.size() : size_), index, face);
    }
    // The first table of an OpenType or TrueType face that lies past the end of the file (FreeType would draw its
    // glyphs blank), or nothing.
    QString tablePastTheEnd(int index) const
    {
        if (!FT_IS_SFNT(face_))
            return {};
        const auto *bytes = reinterpret_cast<const unsigned char *>(bytes_.data());
        const std::uint64_t size = bytes_.size();
        const auto u32 = [&](std::uint64_t at) {
            return at + 4 <= size
                       ? std::uint64_t(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]
                       : 0;
        };
        const std::uint64_t directory = u32(0) == 0x74746366 ? u32(12 + 4 * std::uint64_t(index)) : 0; // 'ttcf'
        const std::uint64_t tables = u32(directory + 4) >> 16;
        for (std::uint64_t i = 0; i < tables; ++i) {
            const std::uint64_t entry = directory + 12 + 16 * i;
            if (entry + 16 > size)
                return QStringLiteral("directory");
            if (u32(entry + 8) + u32(entry + 12) > size)
                return QString::fromLatin1(bytes_.data() + entry, 4);
        }
        return {};
    }
    // The file as it is, held within the budget.
    bool readWhole(QFile &file, const Limits &limits, GrowingBytes *bytes, Refusal *error)
    {
        if (!limits.reserve(file.size(), Subject::Thing::Font, &held_, error))
            return false;
        if (!bytes->resize(std::size_t(file.size())))
            throw std::bad_alloc();
        if (file.read(bytes->data(), file.size()) != file.size()) {
            *error = Refusal(Refusal::Rule::ReadFailed, Subject::Thing::Font).saying(file.errorString());
            return false;
        }
        return true;
    }
    // A compressed font inflated once, front to back, into memory within the budget: FreeType reading it
    // compressed would inflate it again from the start at every step back.
    bool inflate(QFile &file, FT_Error (*decompressor)(FT_Stream, FT_Stream), const Limits &limits, Refusal *error)
    {
        GrowingBytes packed;
        if (!readWhole(file, limits, &packed, error))
            return false;
        const std::int64_t packedBytes = held_.bytes();
        FT_StreamRec source{};
        source.base = reinterpret_cast<unsigned char *>(packed.data());
        source.size = static_cast<unsigned long>(packed.size());
        source.memory = &memory_.manager;
        FT_StreamRec stream{};
        if (decompressor(&stream, &source) != 0) {
            *error = Refusal(Refusal::Rule::Damaged, Subject::Thing::FontInflated);
            return false;
        }
        constexpr std::size_t piece = 1 << 16;
        bool ok = true;
        for (unsigned long got = piece; ok && got == piece;) {
            ok = limits.reserve(piece, Subject::Thing::FontInflated, &held_, error);
            if (ok && !bytes_.resize(bytes_.size() + piece))
                throw std::bad_alloc();
            if (ok) {
                const std::size_t at = bytes_.size() - piece;
                auto *into = reinterpret_cast<unsigned char *>(bytes_.data() + at);
                // A small file FreeType inflates whole at once, and hands on as bytes in memory.
                if (stream.read) {
                    got = stream.read(&stream, at, into, piece);
                } else {
                    got = at < stream.size ? std::min<unsigned long>(piece, stream.size - at) : 0;
                    std::memcpy(into, stream.base + at, got);
                }
                bytes_.resize(at + got);
            }
        }
        if (stream.close)
            stream.close(&stream);
        held_.giveBack(packedBytes);
        return ok;
    }

    BudgetMemory memory_;
    Reservation held_;           // bytes_
    GrowingBytes bytes_;         // the font file, inflated where it was compressed
    const char *data_ = nullptr; // the bytes faces are opened on: this font's, or a twin's original's
    std::size_t size_ = 0;
    int index_ = 0;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    QString name_;
};

namespace {

// The file fontconfig offers for `name`, a family with or without fontconfig's properties after it
// ("WenQuanYi Bitmap Song:pixelsize=16"); empty, with the reason, when it offers none of that family.
QString fileOfFamily(const QString &name, int *index, Refusal *error)
{
    const QString family = name.section(u':', 0, 0).trimmed();
    FcConfig *config = FcInitLoadConfigAndFonts();
    if (!config) {
        *error = Refusal(Refusal::Rule::LibraryFailed).saying(QStringLiteral("fontconfig"));
        return {};
    }
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>(name.toUtf8().constData()));
    if (!pattern) { // properties fontconfig cannot read ("X:charset=zz")
        FcConfigDestroy(config);
        *error = Refusal::Rule::FontNameUnread;
        return {};
    }
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
        *error = Refusal(Refusal::Rule::NoSuchFamily).saying(offered); // the nearest it offers, if any
        return {};
    }
    return file;
}

} // namespace

QString fontFile(const QString &font, int fontIndex, int *index, Refusal *error)
{
    const QFileInfo info(font);
    *index = std::max(fontIndex, 0);
    if (info.isDir()) {
        *error = Refusal(Refusal::Rule::IsDirectory, Subject::Thing::Font);
        return {};
    }
    if (info.exists() && !info.isFile()) { // a device or a pipe, which has no end to read to
        *error = Refusal(Refusal::Rule::NotRegularFile, Subject::Thing::Font);
        return {};
    }
    if (info.isFile())
        return font;
    if (fontIndex >= 0) { // fontconfig chooses the face of a family
        *error = Refusal::Rule::FamilyFace;
        return {};
    }
    return fileOfFamily(font, index, error);
}

namespace {

// A cell as a picture: its ink's coverage as grey on white (black where it is full), a row at a time.
class CellPicture : public PictureDecoder {
public:
    // The cell's bytes are reserved in `held` first.
    CellPicture(int width, int height, Reservation held)
        : held_(std::move(held)), ink_(std::size_t(width) * std::size_t(height), 0)
    {
        width_ = width;
        height_ = height;
    }
    const char *format() const override { return "glyph"; }
    void set(int x, int y, std::uint8_t coverage)
    {
        ink_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = coverage;
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

} // namespace

// A glyph as FreeType drew it: its ink's coverage (0 to 255 a pixel, row by row), where that lies from the pen
// on the baseline, and the advance to the next glyph.
struct GlyphSource::Drawn {
    int left = 0;
    int top = 0; // the ink's first row, above the baseline
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<std::uint8_t> ink;
};

GlyphSource::GlyphSource() = default;
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
    auto source = std::unique_ptr<GlyphSource>(new GlyphSource);
    source->font_ = Font::openFile(file, index, limits, why);
    if (!source->font_)
        return nullptr;
    source->options_ = options;
    source->limits_ = limits;
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
            *why =
                Refusal::of(Refusal::Rule::Strike, {Subject::Thing::Font, 0, f.name()}, f.strikeSize(), options_.size);
            return 0;
        }
        return size ? size : f.strikeSize();
    }
    if (!limits_.fitsPicture(size ? size : 16, size ? size : 16, why, {Subject::Thing::Cell, -1}))
        return 0;
    return size ? size : 16;
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
            *why = Refusal::of(Refusal::Rule::NoGlyph, {Subject::Thing::Font, 0, font_->name()}, c, 0);
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

int GlyphSource::estimatedSize(int height) const
{
    // Every glyph's outline as designed, unscaled and unhinted: the set's highest and lowest ink, and how much of
    // its cell's width the widest glyph takes.
    FT_Face face = font_->face();
    FT_Pos highest = 0, lowest = 0;
    double across = 0;
    for (std::size_t i = 0; i < blank_.size(); ++i) {
        if (blank_[i] || FT_Load_Char(face, FT_ULong(characters_[qsizetype(i)]),
                                      FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            continue;
        const FT_Glyph_Metrics &m = face->glyph->metrics;
        if (m.height == 0)
            continue;
        highest = std::max(highest, m.horiBearingY);
        lowest = std::min(lowest, m.horiBearingY - m.height);
        if (const int width = widthToFit(i, height))
            across = std::max(across, double(m.width) / std::max(width - 1, 1));
    }
    const double down = double(highest - lowest) / std::max(height - 1, 1);
    const double unitsAPixel = std::max(down, across); // each edge may round out by a pixel
    if (unitsAPixel <= 0)
        return height;
    return std::clamp(int(std::floor(face->units_per_EM / unitsAPixel)), 1, height);
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
    if (f.isBitmap()) {
        strike_ = 0;
        FT_Select_Size(face, 0);
        return drawAll(why);
    }
    for (int k = 0; k < face->num_fixed_sizes; ++k) // a bitmap strike the face holds for this size
        if ((face->available_sizes[k].y_ppem + 32) >> 6 == height && !options_.grey && FT_Select_Size(face, k) == 0) {
            strike_ = k;
            return drawAll(why);
        }
    // The largest size at which the set's ink fits the height, as drawn (hinting may move an edge by a pixel).
    int size = estimatedSize(height);
    for (int tries = 0;; ++tries, --size) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) {
            *why = Refusal::of(Refusal::Rule::SizeUndrawable, {Subject::Thing::Font, 0, f.name()}, size, 0);
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
                   : Refusal::of(Refusal::Rule::GlyphUndrawable, {Subject::Thing::Font, 0, font.name()}, c, 0)
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
        int width = options_.cell.isValid() ? options_.cell.width() : wide(i) ? height : height / 2;
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
    FT_Face face = font_->face();
    const Extent e = extent();
    if (font_->isBitmap()) {
        BDF_PropertyRec ascent{};
        baseline_ = FT_Get_BDF_Property(face, "FONT_ASCENT", &ascent) == 0 && ascent.type == BDF_PROPERTY_TYPE_INTEGER
                        ? ascent.u.integer
                        : int(face->size->metrics.ascender >> 6);
    } else if (e.height() <= height) {
        baseline_ = e.above + (height - e.height()) / 2;
    } else { // the baseline that cuts the fewest glyphs, and of those the fewest rows of ink
        std::pair<int, int> least{int(drawn_.size()) + 1, 0};
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
    // Across, each glyph where its pen puts it, moved in where that would cut it and its ink fits the cell.
    for (std::size_t i = 0; i < drawn_.size(); ++i) {
        const Drawn &glyph = drawn_[i];
        const int width = cells_[i].width();
        int x = glyph.left;
        if (glyph.width <= width)
            x = std::clamp(x, 0, width - glyph.width);
        const int y = baseline_ - glyph.top;
        places_.emplace_back(x, y);
        const bool across = x < 0 || x + glyph.width > width, down = y < 0 || y + glyph.height > height;
        if (glyph.height > 0 && (across || down))
            cut_.append(characters_[qsizetype(i)]);
        cutDown_ = cutDown_ || (glyph.height > 0 && down);
    }
}

bool GlyphSource::indexStrings(Refusal *why)
{
    std::unordered_map<char32_t, std::uint32_t> indexOf;
    for (qsizetype i = characters_.size() - 1; i >= 0; --i)
        if (characters_[i] || !options_.grid) // the grid's empty codes are no character
            indexOf[characters_[i]] = std::uint32_t(i);
    // Room for the codes, the advances and the boxes before them, filled in by makeTables().
    tables_.reserve(strings_.lines.size() + 3);
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
    const QSize cell = cells_[std::size_t(i)];
    if (blank_[std::size_t(i)] || glyph.width == 0 || glyph.height == 0)
        return {};
    return QRect(places_[std::size_t(i)], QSize(glyph.width, glyph.height)).intersected(QRect(QPoint(), cell));
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
    auto picture = std::make_unique<CellPicture>(size.width(), size.height(), std::move(held));
    const Drawn &glyph = drawn_[std::size_t(i)];
    // Only the ink inside the cell is drawn, from the box's corner when cropped.
    const QPoint origin = options_.crop ? inkBox(i).topLeft() : QPoint();
    const QPoint at = places_[std::size_t(i)] - origin;
    const int firstRow = std::max(0, -at.y()), lastRow = std::min(glyph.height, size.height() - at.y());
    const int firstColumn = std::max(0, -at.x()), lastColumn = std::min(glyph.width, size.width() - at.x());
    for (int row = firstRow; row < lastRow; ++row)
        for (int column = firstColumn; column < lastColumn; ++column)
            if (const std::uint8_t coverage =
                    glyph.ink[std::size_t(row) * std::size_t(glyph.width) + std::size_t(column)])
                picture->set(at.x() + column, at.y() + row, coverage);
    return picture;
}

bool GlyphSource::bitmapFont() const
{
    return font_->isBitmap();
}

QString GlyphSource::characterOf(int i) const
{
    if (options_.grid && characters_[i] == 0)
        return QStringLiteral("GB2312 %1, empty").arg(0xA1A1 + (i / 94 << 8) + i % 94, 4, 16).toUpper();
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
    if (!options_.grid)
        tables.append(codes);
    // Each glyph's advance, where firmware puts the next one; a blank cell's width.
    FrameTable widths{FrameValues::Widths, {}};
    for (std::size_t i = 0; i < drawn_.size(); ++i)
        widths.values.append(std::uint32_t(blank_[i] ? cells_[i].width() : std::max(drawn_[i].advance, 0)));
    tables.append(widths);
    if (options_.crop) { // x, y, width, height and advance, a glyph's five
        FrameTable boxes{FrameValues::Boxes, {}};
        for (int i = 0; i < count(); ++i) {
            const QRect box = inkBox(i);
            boxes.values << std::uint32_t(box.x()) << std::uint32_t(box.y()) << std::uint32_t(box.width())
                         << std::uint32_t(box.height()) << widths.values[i];
        }
        tables.append(boxes);
    }
    std::move(tables.begin(), tables.end(), tables_.begin()); // in the room kept before the strings
    tables_.remove(tables.size(), 3 - tables.size());
}
