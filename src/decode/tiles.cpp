#include "tiles.h"

#include <algorithm>

namespace {

// One tile of the band held, a row at a time.
class TilePicture : public PictureDecoder {
public:
    TilePicture(const QRgb *band, int bandWidth, int left, QSize tile, bool transparent)
        : band_(band), bandWidth_(bandWidth), left_(left), transparent_(transparent)
    {
        width_ = tile.width();
        height_ = tile.height();
    }
    bool mayBeTransparent() const override { return transparent_; }

protected:
    bool decodeRow(int y, QRgb *row) override
    {
        std::copy_n(band_ + std::size_t(y) * std::size_t(bandWidth_) + std::size_t(left_), width_, row);
        return true;
    }

private:
    const QRgb *band_;
    int bandWidth_;
    int left_;
    bool transparent_;
};

} // namespace

std::unique_ptr<Tiles> Tiles::cut(PictureDecoder &picture, QSize tile, const Limits &limits, Refusal *why)
{
    if (!limits.fitsPicture(tile.width(), tile.height(), why, {Subject::Thing::Tile, -1}))
        return nullptr;
    if (picture.width() % tile.width() || picture.height() % tile.height()) {
        *why = Refusal::ofSize(Refusal::Rule::NotWholeTiles, {}, tile.width(), tile.height(), 0);
        why->value = picture.width();
        why->limit = picture.height();
        return nullptr;
    }
    // Counted in 64 bits: 2^20 x 2^20 one-pixel tiles are 2^40. Each tile is a frame with its plan and label.
    const std::int64_t count =
        std::int64_t(picture.width() / tile.width()) * std::int64_t(picture.height() / tile.height());
    if (count > maxTiles) {
        *why = Refusal::ofSize(Refusal::Rule::TooManyTiles, {}, tile.width(), tile.height(), maxTiles);
        why->value = count;
        return nullptr;
    }
    auto tiles = std::unique_ptr<Tiles>(new Tiles(picture, tile));
    const std::int64_t band = std::int64_t(picture.width()) * tile.height() * std::int64_t(sizeof(QRgb));
    if (!limits.reserve(band, Subject::Thing::TileBand, &tiles->held_, why))
        return nullptr;
    tiles->columns_ = picture.width() / tile.width();
    tiles->rows_ = picture.height() / tile.height();
    tiles->rowsHeld_.resize(std::size_t(picture.width()) * std::size_t(tile.height()));
    return tiles;
}

std::unique_ptr<PictureDecoder> Tiles::open(int i, Refusal *why)
{
    const int band = i / columns_;
    if (band < band_ || band > band_ + 1) {
        *why = Refusal::Rule::OutOfOrder;
        return nullptr;
    }
    if (band != band_) {
        for (int y = 0; y < tile_.height(); ++y)
            if (!picture_.readRow(rowsHeld_.data() + std::size_t(y) * std::size_t(picture_.width()))) {
                *why = picture_.refusal();
                return nullptr;
            }
        band_ = band;
    }
    return std::make_unique<TilePicture>(rowsHeld_.data(), picture_.width(), i % columns_ * tile_.width(), tile_,
                                         picture_.mayBeTransparent());
}
