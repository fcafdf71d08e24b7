#pragma once

#include "inspector/inspector.h"
#include "picture/picturesurface.h"

#include <QWidget>

// The picture box: shows the picture surface inside a sunken border of 2 pixels and reports clicks and key
// releases in the picture's pixel coordinates. It sizes itself to its surface when told to.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    PictureSurface &surface() { return surface_; }
    const PictureSurface &surface() const { return surface_; }

    // Takes the surface's outer size (twips) as the widget's size and repaints.
    void refresh();

    // The pixel inspector's marker, drawn over the picture; what lies outside the picture is not shown.
    // Repaint (update()) after changing it.
    Shape Shape_Position;

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    PictureSurface surface_;
};
