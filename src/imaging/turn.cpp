#include "turn.h"

#include "picture/decoder.h"

#include <algorithm>

TurnedRows::TurnedRows(PictureDecoder &decoder, int degrees, Flip flip)
    : decoder_(decoder), degrees_(degrees), flip_(flip),
      width_(degrees == 90 || degrees == 270 ? decoder.height() : decoder.width()),
      height_(degrees == 90 || degrees == 270 ? decoder.width() : decoder.height())
{
}

bool TurnedRows::readAll()
{
    const int w = decoder_.width();
    whole_.resize(std::size_t(w) * std::size_t(decoder_.height()));
    for (int y = 0; y < decoder_.height(); ++y) {
        if (!decoder_.readRow(whole_.data() + std::size_t(y) * std::size_t(w))) {
            error_ = decoder_.errorString();
            return false;
        }
    }
    return true;
}

bool TurnedRows::next(QRgb *row)
{
    const int y = row_++;
    if (degrees_ == 0 && flip_ != Flip::Vertical) {
        if (!decoder_.readRow(row)) {
            error_ = decoder_.errorString();
            return false;
        }
        if (flip_ == Flip::Horizontal)
            std::reverse(row, row + width_);
        return true;
    }
    if (whole_.empty() && !readAll())
        return false;
    const int w0 = decoder_.width();
    const int h0 = decoder_.height();
    const int ry = flip_ == Flip::Vertical ? height_ - 1 - y : y; // the row of the rotated picture
    const auto at = [&](int x0, int y0) { return whole_[std::size_t(y0) * std::size_t(w0) + std::size_t(x0)]; };
    for (int x = 0; x < width_; ++x) {
        const int rx = flip_ == Flip::Horizontal ? width_ - 1 - x : x;
        switch (degrees_) {
        case 90:
            row[x] = at(ry, h0 - 1 - rx);
            break;
        case 180:
            row[x] = at(w0 - 1 - rx, h0 - 1 - ry);
            break;
        case 270:
            row[x] = at(w0 - 1 - ry, rx);
            break;
        default:
            row[x] = at(rx, ry);
        }
    }
    return true;
}
