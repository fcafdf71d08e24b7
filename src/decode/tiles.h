#pragma once

#include "core/refusal.h"

#include "core/limits.h"
#include "decode/frames.h"

#include <QSize>
#include <QString>

#include <memory>
#include <vector>

// A picture cut into tiles of one size, left to right and top to bottom, each a frame: a sprite sheet. The rows
// of one band of tiles are held (the picture's width by a tile's height) while its tiles go down the road.
class Tiles : public FrameSource {
public:
    // Null, with the reason, when the picture is no whole number of tiles, or a band passes the memory limit.
    static std::unique_ptr<Tiles> cut(PictureDecoder &picture, QSize tile, const Limits &limits, Refusal *why);

    FrameKind kind() const override { return FrameKind::Tiles; }
    int count() const override { return columns_ * rows_; }
    QSize size(int) const override { return tile_; }
    std::unique_ptr<PictureDecoder> open(int i, Refusal *why) override;
    QString label(int i) const override { return QStringLiteral("tile %1, %2").arg(i % columns_).arg(i / columns_); }
    Subject what(int i) const override { return {Subject::Thing::Tile, i}; }

    // As many as an animation's frames: the table of frames counts in 16 bits.
    static constexpr std::int64_t maxTiles = Limits::maxTableEntries;

private:
    Tiles(PictureDecoder &picture, QSize tile) : picture_(picture), tile_(tile) {}

    PictureDecoder &picture_;
    QSize tile_;
    int columns_ = 0;
    int rows_ = 0;
    int band_ = -1;    // the band of tiles held
    Reservation held_; // the band's bytes
    std::vector<QRgb> rowsHeld_;
};
