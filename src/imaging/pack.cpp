#include "pack.h"

#include <algorithm>

void packRow(const std::uint8_t *entries, int width, std::uint8_t *bytes, BitOrder order)
{
    if (order == BitOrder::MsbFirst) {
        for (int c = 0; c < width / 8; ++c) {
            const std::uint8_t *p = entries + 8 * c;
            bytes[c] =
                std::uint8_t(p[0] << 7 | p[1] << 6 | p[2] << 5 | p[3] << 4 | p[4] << 3 | p[5] << 2 | p[6] << 1 | p[7]);
        }
        return;
    }
    for (int c = 0; c < width / 8; ++c) {
        const std::uint8_t *p = entries + 8 * c;
        bytes[c] =
            std::uint8_t(p[7] << 7 | p[6] << 6 | p[5] << 5 | p[4] << 4 | p[3] << 3 | p[2] << 2 | p[1] << 1 | p[0]);
    }
}

void packPage(const std::uint8_t *const rows[8], int width, std::uint8_t *bytes, BitOrder order)
{
    for (int x = 0; x < width; ++x) {
        unsigned byte = 0;
        for (int k = 0; k < 8; ++k)
            byte |= unsigned(rows[k][x]) << (order == BitOrder::LsbFirst ? k : 7 - k);
        bytes[x] = std::uint8_t(byte);
    }
}

namespace {

int packedWidthOf(const PackOptions &options, const PixelFormatTraits &traits, int width)
{
    if (options.layout == Layout::Vertical || !traits.subByte() || !options.pad)
        return width;
    const int perByte = 8 / traits.bits;
    return (width + perByte - 1) / perByte * perByte;
}

} // namespace

Packer::Packer(const PackOptions &options, PixelFormat pixel, int width)
    : options_(options), pixel_(pixel), traits_(traitsOf(pixel)),
      packedWidth_(packedWidthOf(options, traits_, std::max(width, 0)))
{
    const bool vertical = options_.layout == Layout::Vertical;
    unit_.resize(vertical ? std::size_t(packedWidth_) : std::size_t(packedWidth_) * std::size_t(traits_.bits) / 8);
    if (vertical)
        page_.resize(std::size_t(8) * std::size_t(packedWidth_));
}

bool Packer::add(const std::uint8_t *levels)
{
    if (options_.layout == Layout::Horizontal) {
        packLevels(levels);
        return true;
    }
    std::copy(levels, levels + packedWidth_, page_.begin() + std::ptrdiff_t(pageRows_) * packedWidth_);
    if (++pageRows_ < 8)
        return false;
    const std::uint8_t *rows[8];
    for (int k = 0; k < 8; ++k)
        rows[k] = page_.data() + std::size_t(k) * std::size_t(packedWidth_);
    packPage(rows, packedWidth_, unit_.data(), options_.bitOrder);
    pageRows_ = 0;
    return true;
}

void Packer::packLevels(const std::uint8_t *levels)
{
    std::uint8_t *out = unit_.data();
    const int n = packedWidth_;
    switch (pixel_) {
    case PixelFormat::Mono:
        packRow(levels, n, out, options_.bitOrder);
        return;
    case PixelFormat::Gray2:
    case PixelFormat::Gray4: {
        // The first pixel of a byte in its highest bits (MsbFirst) or its lowest.
        const int bits = traits_.bits;
        const int perByte = 8 / bits;
        const bool msb = options_.bitOrder == BitOrder::MsbFirst;
        for (int c = 0; c < n / perByte; ++c) {
            unsigned byte = 0;
            for (int k = 0; k < perByte; ++k)
                byte |= unsigned(levels[c * perByte + k]) << (msb ? 8 - bits * (k + 1) : bits * k);
            out[c] = std::uint8_t(byte);
        }
        return;
    }
    case PixelFormat::Gray8:
        std::copy(levels, levels + n, out);
        return;
    case PixelFormat::Rgb332:
        for (int x = 0; x < n; ++x)
            out[x] = std::uint8_t(levels[3 * x] << 5 | levels[3 * x + 1] << 2 | levels[3 * x + 2]);
        return;
    case PixelFormat::Rgb565: {
        // The word R<<11 | G<<5 | B: its high byte RRRRRGGG, its low byte GGGBBBBB.
        const int high = options_.byteOrder == ByteOrder::BigEndian ? 0 : 1;
        for (int x = 0; x < n; ++x) {
            const std::uint8_t *p = levels + 3 * x;
            out[2 * x + high] = std::uint8_t(p[0] << 3 | p[1] >> 3);
            out[2 * x + 1 - high] = std::uint8_t(p[1] << 5 | p[2]);
        }
        return;
    }
    case PixelFormat::Rgb888:
        std::copy(levels, levels + 3 * n, out);
        return;
    }
}
