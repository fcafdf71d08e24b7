#include "turn.h"

#include "decode/decoder.h"

#include <algorithm>
#include <cstring>

namespace {

// Values of `Bits` bits held in rows of bytes: several to a byte from the lowest bits up, or a byte or more
// each, the lowest byte first.
template <int Bits> struct Cells {
    static constexpr std::size_t perByte = 8 / Bits; // values a byte holds, below 8 bits
    static std::size_t rowBytes(std::size_t width) { return (width * Bits + 7) / 8; }

    static std::uint32_t get(const std::uint8_t *row, std::size_t x)
    {
        if constexpr (Bits == 32) {
            std::uint32_t value;
            std::memcpy(&value, row + 4 * x, 4);
            return value;
        } else if constexpr (Bits == 16) {
            return std::uint32_t(row[2 * x]) | std::uint32_t(row[2 * x + 1]) << 8;
        } else if constexpr (Bits == 8) {
            return row[x];
        } else {
            return std::uint32_t(row[x / perByte] >> (x % perByte * Bits)) & ((1u << Bits) - 1);
        }
    }

    static void getRow(const std::uint8_t *row, std::size_t width, QRgb *values)
    {
        if constexpr (Bits >= 8) {
            for (std::size_t x = 0; x < width; ++x)
                values[x] = get(row, x);
        } else { // a byte at a time
            for (std::size_t x = 0; x < width; x += perByte) {
                unsigned byte = row[x / perByte];
                for (std::size_t k = 0; k < perByte && x + k < width; ++k, byte >>= Bits)
                    values[x + k] = byte & ((1u << Bits) - 1);
            }
        }
    }

    static void putRow(const QRgb *values, std::size_t width, std::uint8_t *row)
    {
        if constexpr (Bits == 32) {
            std::memcpy(row, values, 4 * width);
        } else if constexpr (Bits == 16) {
            for (std::size_t x = 0; x < width; ++x) {
                row[2 * x] = std::uint8_t(values[x]);
                row[2 * x + 1] = std::uint8_t(values[x] >> 8);
            }
        } else if constexpr (Bits == 8) {
            for (std::size_t x = 0; x < width; ++x)
                row[x] = std::uint8_t(values[x]);
        } else {
            std::memset(row, 0, rowBytes(width));
            for (std::size_t x = 0; x < width; ++x)
                row[x / perByte] |= std::uint8_t((values[x] & ((1u << Bits) - 1)) << (x % perByte * Bits));
        }
    }
};

// Calls `f` with the Cells of `bits`.
template <typename F> void withCells(int bits, F f)
{
    switch (bits) {
    case 1:
        return f(Cells<1>{});
    case 2:
        return f(Cells<2>{});
    case 8:
        return f(Cells<8>{});
    case 16:
        return f(Cells<16>{});
    default:
        return f(Cells<32>{});
    }
}

} // namespace

TurnedRows::TurnedRows(PictureDecoder &decoder, int degrees, Flip flip, int bits, Make make)
    : decoder_(decoder), degrees_(degrees), flip_(flip), bits_(make ? bits : 32), make_(std::move(make)),
      width_(degrees == 90 || degrees == 270 ? decoder.height() : decoder.width()),
      height_(degrees == 90 || degrees == 270 ? decoder.width() : decoder.height())
{
    withCells(bits_, [&](auto cells) { heldRowBytes_ = cells.rowBytes(std::size_t(decoder_.width())); });
}

std::int64_t TurnedRows::heldBytes(int width, int height, int degrees, Flip flip, int bits)
{
    if (!holdsWhole(degrees, flip))
        return 0;
    const bool quarter = degrees == 90 || degrees == 270;
    const std::int64_t band = quarter ? std::int64_t(bandRows) * width * std::int64_t(sizeof(QRgb)) : 0;
    const std::int64_t heldWidth = quarter ? height : width; // the picture is held as it is read
    const std::int64_t heldHeight = quarter ? width : height;
    std::int64_t rowBytes = 0;
    withCells(bits, [&](auto cells) { rowBytes = std::int64_t(cells.rowBytes(std::size_t(heldWidth))); });
    // and a row as it is read
    return rowBytes * heldHeight + band + heldWidth * std::int64_t(sizeof(QRgb));
}

bool TurnedRows::readRow(QRgb *row)
{
    if (!decoder_.readRow(row)) {
        error_ = decoder_.refusal();
        return false;
    }
    if (make_)
        make_(row);
    return true;
}

bool TurnedRows::readAll()
{
    // Left uninitialised: every byte is written once.
    whole_.reset(new std::uint8_t[heldRowBytes_ * std::size_t(decoder_.height())]);
    std::vector<QRgb> row(std::size_t(decoder_.width()));
    for (int y = 0; y < decoder_.height(); ++y) {
        if (!readRow(row.data()))
            return false;
        withCells(bits_, [&](auto cells) {
            cells.putRow(row.data(), row.size(), whole_.get() + std::size_t(y) * heldRowBytes_);
        });
    }
    return true;
}

void TurnedRows::turnBand(int first)
{
    // Row r of the picture turned 90 degrees is column r of the held one, read bottom to top; turned 270, it is
    // column w0 - 1 - r, read top to bottom. Each held row gives the band a run of neighbouring pixels.
    const int w0 = decoder_.width();
    const int h0 = decoder_.height();
    const int rows = std::min(bandRows, height_ - first);
    band_.resize(std::size_t(bandRows) * std::size_t(width_));
    withCells(bits_, [&](auto cells) {
        for (int y0 = 0; y0 < h0; ++y0) {
            const std::uint8_t *held = whole_.get() + std::size_t(y0) * heldRowBytes_;
            if (degrees_ == 90) {
                const std::size_t x = std::size_t(h0 - 1 - y0);
                for (int k = 0; k < rows; ++k)
                    band_[std::size_t(k) * std::size_t(width_) + x] =
                        cells.get(held, std::size_t(first) + std::size_t(k));
            } else {
                const std::size_t x = std::size_t(y0);
                for (int k = 0; k < rows; ++k)
                    band_[std::size_t(k) * std::size_t(width_) + x] = cells.get(held, std::size_t(w0 - 1 - first - k));
            }
        }
    });
    bandFirst_ = first;
}

bool TurnedRows::next(QRgb *row)
{
    const int y = row_++;
    if (!holdsWhole(degrees_, flip_)) {
        if (!readRow(row))
            return false;
        if (flip_ == Flip::Horizontal)
            std::reverse(row, row + width_);
        return true;
    }
    if (!whole_ && !readAll())
        return false;
    const int ry = flip_ == Flip::Vertical ? height_ - 1 - y : y; // the row of the rotated picture
    if (degrees_ == 90 || degrees_ == 270) {
        if (bandFirst_ < 0 || ry < bandFirst_ || ry >= bandFirst_ + bandRows)
            turnBand(ry - ry % bandRows);
        const QRgb *turned = band_.data() + std::size_t(ry - bandFirst_) * std::size_t(width_);
        std::copy(turned, turned + width_, row);
    } else {
        // Turned 180 degrees, row ry is held row height - 1 - ry, right to left.
        const std::size_t from = std::size_t(degrees_ == 180 ? height_ - 1 - ry : ry);
        const std::uint8_t *held = whole_.get() + from * heldRowBytes_;
        withCells(bits_, [&](auto cells) { cells.getRow(held, std::size_t(width_), row); });
        if (degrees_ == 180)
            std::reverse(row, row + width_);
    }
    if (flip_ == Flip::Horizontal)
        std::reverse(row, row + width_);
    return true;
}
