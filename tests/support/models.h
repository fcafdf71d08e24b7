#pragma once

// Independent models and readers the tests check the program against: written from the rules as they are
// stated, not from the program's code.

#include "core/colour.h"
#include "core/rounding.h"
#include "imaging/pack.h"
#include "imaging/pixeltable.h"
#include "picture/picturesurface.h"

#include <QByteArray>

#include <cstdint>

// The colour conversion's test in its written form: with R the red byte, G' = (c And &HFF00) / 255 and
// B' = (c And &HFF0000) / 65535, each rounded half to even, white when R + G' + B' > 549 or G' > 244.
inline bool convertsToWhite(Colour c)
{
    const double green = roundHalfEven(double(c & 0xFF00) / 255.0);
    const double blue = roundHalfEven(double(c & 0xFF0000) / 65535.0);
    return double(c & 0xFF) + green + blue > 549 || green > 244;
}

// The bytes PackBits data stands for, as TIFF defines it (a count n, then n + 1 bytes as they are, or one byte
// 257 - n times; 128 is nothing); false when it ends inside a literal or a repeat, or would make more than
// `limit` bytes.
inline bool unpackBits(const QByteArray &packed, QByteArray *bytes, std::int64_t limit)
{
    bytes->clear();
    for (qsizetype i = 0; i < packed.size();) {
        const int n = quint8(packed[i++]);
        if (n == 128)
            continue;
        const qsizetype length = n < 128 ? n + 1 : 257 - n;
        if (bytes->size() + length > limit || (n < 128 ? i + length : i + 1) > packed.size())
            return false;
        if (n < 128) {
            bytes->append(packed.constData() + i, length);
            i += length;
        } else {
            bytes->append(length, packed[i++]);
        }
    }
    return true;
}

// The pixel table's entry at (x, y), the bytes a packed row has, and packed byte c of row y: pixels 8c to 8c + 7,
// the leftmost in bit 7.
inline std::uint8_t entryAt(const PixelTable &table, int x, int y)
{
    return table.row(y)[x];
}
inline int bytesPerRow(const PixelTable &table)
{
    return table.width() / 8;
}
inline std::uint8_t packedByte(const PixelTable &table, int c, int y)
{
    std::uint8_t byte = 0;
    for (int k = 0; k < 8; ++k)
        byte = std::uint8_t(byte << 1 | entryAt(table, 8 * c + k, y));
    return byte;
}

// Whether the surface shows a picture: any pixel other than its white background.
inline bool showsPicture(const PictureSurface &surface)
{
    for (int y = 0; y < int(surface.ScaleHeight()); ++y)
        for (int x = 0; x < int(surface.ScaleWidth()); ++x)
            if (surface.constScanLine(y)[x] != PictureSurface::background)
                return true;
    return false;
}
