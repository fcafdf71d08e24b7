// Font files through FreeType, its memory within the budget, and families through fontconfig.

#include "font.h"

#include FT_BDF_H

#include "glyphs/glyphtable.h"

#include <QFileInfo>

#include <fontconfig/fontconfig.h>
#include FT_BZIP2_H
#include FT_GZIP_H
#include FT_LZW_H
#include FT_MODULE_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

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

namespace {

// Each block of FreeType's memory keeps its size in front of it.
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

} // namespace
GrowingBytes::~GrowingBytes()
{
    if (capacity_)
        ::munmap(data_, capacity_);
}

bool GrowingBytes::resize(std::size_t size)
{
    if (size > capacity_) {
        const std::size_t capacity = std::max(size, 2 * capacity_);
        void *grown = capacity_ ? ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE)
                                : ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (grown == MAP_FAILED)
            return false;
        data_ = grown;
        capacity_ = capacity;
    }
    size_ = size;
    return true;
}

Font::~Font()
{
    if (face_)
        FT_Done_Face(face_);
    if (library_)
        FT_Done_Library(library_);
}

std::unique_ptr<Font> Font::openFile(const QString &path, int index, const Limits &limits, Refusal *error)
{
    auto font = std::unique_ptr<Font>(new Font);
    if (!font->startFreeType(limits)) {
        *error = Refusal(Refusal::Rule::LibraryFailed).saying(QStringLiteral("FreeType"));
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Refusal(Refusal::Rule::ReadFailed, {Subject::Thing::Font, path}).saying(file.errorString());
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
    font->name_ = font->face_->family_name ? QString::fromUtf8(font->face_->family_name) : QFileInfo(path).fileName();
    if (const QString table = font->tablePastTheEnd(index); !table.isEmpty()) {
        *error = Refusal(Refusal::Rule::TablePastEnd, Subject::Thing::Font).saying(table);
        return nullptr;
    }
    return font;
}

std::unique_ptr<Font> Font::twin(const Limits &limits) const
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

bool Font::startFreeType(const Limits &limits)
{
    memory_.budget = limits.budget;
    memory_.manager = {&memory_, allocate, release, reallocate};
    if (FT_New_Library(&memory_.manager, &library_) != 0)
        return false;
    FT_Add_Default_Modules(library_);
    FT_Set_Default_Properties(library_);
    return true;
}

FT_Error Font::openFace(long index, FT_Face *face)
{
    const bool read = bytes_.size() > 0;
    return FT_New_Memory_Face(library_, reinterpret_cast<const FT_Byte *>(read ? bytes_.data() : data_),
                              FT_Long(read ? bytes_.size() : size_), index, face);
}

Font::Line Font::bitmapLine() const
{
    const auto property = [&](const char *name, FT_Pos metric) {
        BDF_PropertyRec value{};
        return FT_Get_BDF_Property(face_, name, &value) == 0 && value.type == BDF_PROPERTY_TYPE_INTEGER
                   ? int(value.u.integer)
                   : int(metric >> 6);
    };
    return {property("FONT_ASCENT", face_->size->metrics.ascender),
            property("FONT_DESCENT", -face_->size->metrics.descender)};
}

QString Font::tablePastTheEnd(int index) const
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

bool Font::readWhole(QFile &file, const Limits &limits, GrowingBytes *bytes, Refusal *error)
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

bool Font::inflate(QFile &file, FT_Error (*decompressor)(FT_Stream, FT_Stream), const Limits &limits, Refusal *error)
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

namespace {

// fontconfig's configuration and list of fonts, loaded once for the program's life: a family is looked up twice
// (its file spared from the outputs, then drawn), and each load reads all of fontconfig's caches.
FcConfig *fontconfig()
{
    static FcConfig *const config = FcInitLoadConfigAndFonts();
    return config;
}

// The file fontconfig offers for `name`, a family with or without fontconfig's properties after it
// ("WenQuanYi Bitmap Song:pixelsize=16"); empty, with the reason, when it offers none of that family.
QString fileOfFamily(const QString &name, int *index, Refusal *error)
{
    const QString family = name.section(u':', 0, 0).trimmed();
    FcConfig *config = fontconfig();
    if (!config) {
        *error = Refusal(Refusal::Rule::LibraryFailed).saying(QStringLiteral("fontconfig"));
        return {};
    }
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>(name.toUtf8().constData()));
    if (!pattern) { // properties fontconfig cannot read ("X:charset=zz")
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
