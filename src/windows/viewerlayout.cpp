#include "viewerlayout.h"

#include <algorithm>

ViewerLayout viewerLayout(float width, float height)
{
    ViewerLayout layout;
    layout.textBox = QRectF(150, 120, std::max(0.0f, width - 390), std::max(0.0f, height - 1365));
    layout.button = QRectF((width - ViewerLayout::buttonWidth) / 2, height - 1050, ViewerLayout::buttonWidth,
                           ViewerLayout::buttonHeight);
    return layout;
}
