#include "pixeltable.h"

PixelTable::PixelTable(int width, int height)
    : width_(width), height_(height), cells_(std::size_t(width) * std::size_t(height), 0)
{
}

std::uint8_t PixelTable::packedByte(int c, int y) const
{
    std::uint8_t byte = 0;
    packRow(row(y) + 8 * c, 8, &byte);
    return byte;
}

PackedPosition packedPositionOf(int x, int y, int width)
{
    return {std::int64_t(y) * (width / 8) + x / 8, 7 - x % 8};
}

void readPixelRow(const QRgb *pixels, int width, Colour blackcolor, std::uint8_t *entries)
{
    const QRgb black = rgbFromColour(blackcolor) & 0xFFFFFF;
    for (int x = 0; x < width; ++x)
        entries[x] = (pixels[x] & 0xFFFFFF) == black ? 1 : 0;
}

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
