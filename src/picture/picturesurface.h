#pragma once

#include "core/twips.h"
#include "core/budget.h"
#include "core/colour.h"

#include <QImage>

// The picture box's pixels: the picture being processed, read and painted pixel by pixel.
//
// The inner area is exactly the picture; the box's outer size adds a border of 2 pixels on each side and is
// kept in twips (15 to a pixel). Coordinates are 0-based, x from the left, y from the top. The file a picture
// came from is never written.
class PictureSurface {
public:
    static constexpr int borderPixels = 2;
    static constexpr QRgb background = 0xFFFFFFFF;

    // An empty box with an inner area of 400 x 300 pixels.
    PictureSurface();

    // Shows `picture` (Format_RGB32, as LoadPicture gives it), keeping its bytes' reservation `held` as long as
    // it shows it; the box takes the picture's size. The empty picture clears the box to its background and
    // leaves its size as it was.
    void setPicture(QImage picture, Reservation held = {});

    // Width and height of the inner area in pixels.
    double ScaleWidth() const { return pixels_.width(); }
    double ScaleHeight() const { return pixels_.height(); }

    // Colour of pixel (x, y); the background for a position outside the inner area.
    Colour Point(int x, int y) const;
    // Sets pixel (x, y); a position outside the inner area is ignored.
    void PSet(int x, int y, Colour colour);

    // Bulk access to a row of pixels (QRgb, alpha always 255), for the loops that visit every pixel.
    const QRgb *constScanLine(int y) const { return reinterpret_cast<const QRgb *>(pixels_.constScanLine(y)); }
    QRgb *scanLine(int y) { return reinterpret_cast<QRgb *>(pixels_.scanLine(y)); }

    // What the box shows, for painting.
    const QImage &image() const { return pixels_; }

    // Outer size in twips, border included. Setting it resizes the inner area (what lay inside the new
    // area stays, the rest is background).
    float Width() const { return outerTwips(pixels_.width()); }
    float Height() const { return outerTwips(pixels_.height()); }
    void setWidth(float twips) { resizeInner(innerPixels(twips), pixels_.height()); }
    void setHeight(float twips) { resizeInner(pixels_.width(), innerPixels(twips)); }

private:
    static float outerTwips(int innerPixels) { return twipsFromPixels(innerPixels + 2 * borderPixels); }
    static int innerPixels(float outerTwips);
    void resizeInner(int width, int height);

    QImage pixels_;
    Reservation held_;
    bool hasPicture_ = false;
};

// The program works only with pictures whose width is a whole multiple of 8 pixels: 8 pixels make a byte.
bool hasByteAlignedWidth(const PictureSurface &surface);
