#pragma once

#include <QRectF>

// Where the code viewer's text box and close button go for a window of outer size width x height (twips):
// the box at (150, 120), 390 narrower and 1365 lower than the window (never below zero); the button, whose
// size is fixed, centred on the window's outer width, 1050 above its bottom edge.
struct ViewerLayout {
    static constexpr float buttonWidth = 1455;
    static constexpr float buttonHeight = 375;
    QRectF textBox;
    QRectF button;
};
ViewerLayout viewerLayout(float width, float height);
