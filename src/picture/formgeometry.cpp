#include "formgeometry.h"

#include "picture/picturesurface.h"

#include <algorithm>

FormGeometry::FormGeometry(QSizeF screen, QSizeF largest) : screen_(screen), largest_(largest) {}

void FormGeometry::setScreen(QSizeF screen, QSizeF largest)
{
    screen_ = screen;
    largest_ = largest;
}

void FormGeometry::setWidth(float twips)
{
    width_ = std::min(twips, float(largest_.width()));
}

void FormGeometry::setHeight(float twips)
{
    height_ = std::min(twips, float(largest_.height()));
}

void FormGeometry::centre()
{
    left_ = (float(screen_.width()) - width_) / 2;
    top_ = (float(screen_.height()) - height_) / 2;
}

void FormGeometry::applyDefaultLayout()
{
    frameLeft_ = 6300;
    setWidth(8475);
    setHeight(5460);
    centre();
    frameTop_ = 1425;
}

bool FormGeometry::arrange(const PictureSurface &box, const LayoutMargins &margins)
{
    if (box.ScaleHeight() < shortPicture) {
        applyDefaultLayout();
        return true;
    }
    frameLeft_ = box.Width() + boxLeft + margins.framegap;
    const float wantedWidth = frameWidth + frameLeft_ + margins.rightmargin + 120;
    const float wantedHeight = box.Height() + boxTop + margins.bottommargin + 420;
    setWidth(wantedWidth);
    setHeight(wantedHeight);
    if (wantedWidth > width_ || wantedHeight > height_)
        return false;
    centre();
    frameTop_ = boxTop + box.Height() - frameHeight;
    return true;
}
