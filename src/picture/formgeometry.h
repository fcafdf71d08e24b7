#pragma once

#include <QSizeF>

class PictureSurface;

// Gaps and margins of the main window's layout, in twips.
struct LayoutMargins {
    short framegap = 120;     // between the picture box and the frame
    short rightmargin = 120;  // right of the frame
    short bottommargin = 360; // below the picture box
};

// The main window's geometry in twips, as the window fit computes it: the window's outer position and size,
// and where the frame with the buttons sits. The window system's limit is modelled: a size larger than the
// screen's usable area is not granted, and reading the size back shows what was granted.
class FormGeometry {
public:
    static constexpr float boxLeft = 120;
    static constexpr float boxTop = 120;
    static constexpr float frameWidth = 1935;
    static constexpr float frameHeight = 3255;
    // Pictures less high than this, in pixels, get the default layout.
    static constexpr double shortPicture = 300;

    // `screen` is the whole screen and `largest` the largest outer size a window may have, both in twips.
    FormGeometry() = default;
    FormGeometry(QSizeF screen, QSizeF largest);
    void setScreen(QSizeF screen, QSizeF largest);

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    float frameLeft() const { return frameLeft_; }
    float frameTop() const { return frameTop_; }

    void setWidth(float twips);
    void setHeight(float twips);
    // Centres the window on the screen with its granted size; not rounded.
    void centre();

    // Frame at 6300, 1425, window 8475 x 5460, centred: the fit of the 400 x 300 default picture.
    void applyDefaultLayout();

    // Fits the window around the picture box: the frame right of the box, its bottom level with the box's,
    // the window around both, centred. Pictures less than 300 pixels high get the default layout. Returns
    // false, leaving the window at the size it was granted, when the window could not get the size the
    // picture needs.
    bool arrange(const PictureSurface &box, const LayoutMargins &margins);

private:
    QSizeF screen_;
    QSizeF largest_;
    float left_ = 0;
    float top_ = 0;
    float width_ = 8475;
    float height_ = 5460;
    float frameLeft_ = 6360;
    float frameTop_ = 1440;
};
