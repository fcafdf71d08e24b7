#pragma once

#include "imaging/pixelformat.h"

#include <cstdint>
#include <vector>

// The pack stage: rows of levels (the tone stage's) into the bytes a display takes, a unit at a time: a row,
// or in the vertical layout a page of 8 rows.

// 8 horizontal pixels to a byte, row by row (the window's packing), or 8 vertical pixels to a byte in pages of
// 8 rows from the top, a byte a column, as most monochrome LCD and OLED controllers take them.
enum class Layout { Horizontal, Vertical };

// Which bit of a byte the first of its pixels (leftmost, or topmost) takes: the highest (bit 7 in mono, the
// high nibble in gray4), or the lowest.
enum class BitOrder { MsbFirst, LsbFirst };

// Which byte of a 16-bit pixel comes first.
enum class ByteOrder { BigEndian, LittleEndian };

// What a display does with a 1 bit, or a higher level: not known (the tone stage's levels go as they are: black
// a 1 in mono, white the largest level in grey and colour), darken its pixel (an LCD), or light it (an OLED).
enum class Ink { Unknown, Dark, Lit };

struct PackOptions {
    Layout layout = Layout::Horizontal; // the vertical layout is for mono
    BitOrder bitOrder = BitOrder::MsbFirst;
    ByteOrder byteOrder = ByteOrder::BigEndian;
    bool pad = false; // pixels of less than a byte: pad each row with white to a whole byte
    Ink ink = Ink::Unknown;
    // Every level of the picture complemented, from what the ink asks (1 - level in mono, the largest level less
    // it in grey and colour); the padding stays as it is.
    bool invert = false;
};

// Packs a row of mono entries (1 for black) eight to a byte, left to right, the leftmost in bit 7 (MsbFirst)
// or bit 0: width / 8 bytes.
void packRow(const std::uint8_t *entries, int width, std::uint8_t *bytes, BitOrder order = BitOrder::MsbFirst);

// Packs a page of eight mono rows eight vertical pixels to a byte, one byte a column from the left, the top row
// in bit 0 (LsbFirst) or bit 7: width bytes.
void packPage(const std::uint8_t *const rows[8], int width, std::uint8_t *bytes, BitOrder order);

class Packer {
public:
    // For rows of `pixel`s, `width` of them.
    Packer(const PackOptions &options, PixelFormat pixel, int width);

    // The row as packed, in pixels: a sub-byte format padded to a whole byte (with `pad`).
    int packedWidth() const { return packedWidth_; }
    // Whether a row makes whole bytes in this packing (always, with padding, or pixels of whole bytes).
    bool fits() const { return options_.layout == Layout::Vertical || packedWidth_ * traits_.bits % 8 == 0; }
    // The rows a unit holds, and its bytes.
    int unitRows() const { return options_.layout == Layout::Vertical ? 8 : 1; }
    int unitBytes() const { return int(unit_.size()); }

    // Takes a row of levels, packedWidth() pixels (the padding already white). True when a unit is complete: it
    // is in unit() until the next call.
    bool add(const std::uint8_t *levels);
    const std::uint8_t *unit() const { return unit_.data(); }

private:
    void packLevels(const std::uint8_t *levels);

    PackOptions options_;
    PixelFormat pixel_;
    PixelFormatTraits traits_;
    int packedWidth_;
    std::vector<std::uint8_t> unit_;
    std::vector<std::uint8_t> page_; // the vertical layout's rows so far
    int pageRows_ = 0;
};
