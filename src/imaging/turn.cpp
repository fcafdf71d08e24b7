#include "turn.h"

#include "decode/decoder.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

TurnedRows::TurnedRows(PictureDecoder &decoder, int degrees, Flip flip)
    : decoder_(decoder), degrees_(degrees), flip_(flip),
      width_(degrees == 90 || degrees == 270 ? decoder.height() : decoder.width()),
      height_(degrees == 90 || degrees == 270 ? decoder.width() : decoder.height())
{
}

std::int64_t TurnedRows::heldBytes(int width, int height, int degrees, Flip flip)
{
    if (degrees == 0 && flip != Flip::Vertical)
        return 0;
    const std::int64_t band = degrees == 90 || degrees == 270 ? std::int64_t(bandRows) * width : 0;
    return (std::int64_t(width) * height + band) * std::int64_t(sizeof(QRgb));
}

bool TurnedRows::readAll()
{
    // Left uninitialised, every pixel is written once; in huge pages, the kernel faults a few hundred times
    // for a large picture instead of once every 4 KiB.
    constexpr std::size_t hugePage = std::size_t(2) << 20;
    const std::size_t w = std::size_t(decoder_.width());
    const std::size_t bytes = (w * std::size_t(decoder_.height()) * sizeof(QRgb) + hugePage - 1) / hugePage * hugePage;
    whole_.reset(static_cast<QRgb *>(std::aligned_alloc(hugePage, bytes)));
    if (!whole_)
        throw std::bad_alloc();
    ::madvise(whole_.get(), bytes, MADV_HUGEPAGE);
    for (int y = 0; y < decoder_.height(); ++y) {
        if (!decoder_.readRow(whole_.get() + std::size_t(y) * w)) {
            error_ = decoder_.refusal();
            return false;
        }
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
    for (int y0 = 0; y0 < h0; ++y0) {
        const QRgb *held = whole_.get() + std::size_t(y0) * std::size_t(w0);
        if (degrees_ == 90) {
            const std::size_t x = std::size_t(h0 - 1 - y0);
            for (int k = 0; k < rows; ++k)
                band_[std::size_t(k) * std::size_t(width_) + x] = held[first + k];
        } else {
            const std::size_t x = std::size_t(y0);
            for (int k = 0; k < rows; ++k)
                band_[std::size_t(k) * std::size_t(width_) + x] = held[w0 - 1 - first - k];
        }
    }
    bandFirst_ = first;
}

bool TurnedRows::next(QRgb *row)
{
    const int y = row_++;
    if (passesStraight()) {
        if (!decoder_.readRow(row)) {
            error_ = decoder_.refusal();
            return false;
        }
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
    } else if (degrees_ == 180) {
        const QRgb *held = whole_.get() + std::size_t(height_ - 1 - ry) * std::size_t(width_);
        std::reverse_copy(held, held + width_, row);
    } else {
        const QRgb *held = whole_.get() + std::size_t(ry) * std::size_t(width_);
        std::copy(held, held + width_, row);
    }
    if (flip_ == Flip::Horizontal)
        std::reverse(row, row + width_);
    return true;
}
