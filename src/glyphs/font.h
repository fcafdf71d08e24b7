#pragma once

#include "core/limits.h"
#include "core/refusal.h"

#include <QFile>
#include <QString>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <memory>

// A font file as FreeType reads it: every byte it takes counted against the budget, a compressed font inflated
// once, a face opened on the bytes, and a twin of the face for a second thread.

// FreeType's memory, every block of it taken from the budget first: a font's glyphs and tables count as the
// pictures do.
struct BudgetMemory {
    FT_MemoryRec_ manager{};
    Reservation held;
    std::shared_ptr<Budget> budget;
    bool refused = false;
};

// Bytes that grow without being copied: the kernel moves a mapping's pages to where it has room for more, so
// holding n bytes never takes twice n on the way.
class GrowingBytes {
public:
    GrowingBytes() = default;
    GrowingBytes(const GrowingBytes &) = delete;
    GrowingBytes &operator=(const GrowingBytes &) = delete;
    ~GrowingBytes();
    char *data() const { return static_cast<char *>(data_); }
    std::size_t size() const { return size_; }
    // Makes the size `size`, the new bytes zero; false when the memory cannot be had.
    bool resize(std::size_t size);

private:
    void *data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// FreeType's own words for one of its errors.
QString freeTypeError(FT_Error error);

class Font {
public:
    ~Font();
    // The font file at `path`, face `index`; every byte FreeType takes for it within the budget of `limits`.
    static std::unique_ptr<Font> openFile(const QString &path, int index, const Limits &limits, Refusal *error);
    // The same face on the same bytes, with a FreeType of its own, for a second thread to draw with; null when
    // it cannot be had. It must not outlive this font.
    std::unique_ptr<Font> twin(const Limits &limits) const;
    FT_Face face() const { return face_; }
    const QString &name() const { return name_; }
    bool isBitmap() const { return !FT_IS_SCALABLE(face_) && FT_HAS_FIXED_SIZES(face_); }
    // A bitmap font's pixel size.
    int strikeSize() const { return isBitmap() ? int((face_->available_sizes[0].y_ppem + 32) >> 6) : 0; }
    // A bitmap font's rows of a line above and below the baseline: its FONT_ASCENT and FONT_DESCENT, else its
    // strike's metrics.
    struct Line {
        int ascent = 0;
        int descent = 0;
    };
    Line bitmapLine() const;
    // Whether FreeType was refused memory since the font was opened.
    bool refusedMemory() const { return memory_.refused; }

private:
    Font() = default;
    bool startFreeType(const Limits &limits);
    FT_Error openFace(long index, FT_Face *face);
    // The first table of an OpenType or TrueType face that lies past the end of the file (FreeType would draw its
    // glyphs blank), or nothing.
    QString tablePastTheEnd(int index) const;
    // The file as it is, held within the budget.
    bool readWhole(QFile &file, const Limits &limits, GrowingBytes *bytes, Refusal *error);
    // A compressed font inflated once, front to back, into memory within the budget: FreeType reading it
    // compressed would inflate it again from the start at every step back.
    bool inflate(QFile &file, FT_Error (*decompressor)(FT_Stream, FT_Stream), const Limits &limits, Refusal *error);
    BudgetMemory memory_;
    Reservation held_;
    // bytes_
    GrowingBytes bytes_;
    // the font file, inflated where it was compressed
    const char *data_ = nullptr;
    // the bytes faces are opened on: this font's, or a twin's original's
    std::size_t size_ = 0;
    int index_ = 0;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    QString name_;
};
