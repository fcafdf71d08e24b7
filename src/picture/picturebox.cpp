#include "picturebox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    refresh();
}

void PictureBox::refresh()
{
    resize(pixelsFromTwips(surface_.Width()), pixelsFromTwips(surface_.Height()));
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect outer = rect();
    // A sunken edge: dark above and left, light below and right, two lines deep.
    painter.fillRect(outer, palette().color(QPalette::Window));
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(QColor(64, 64, 64));
    painter.drawLine(outer.left() + 1, outer.top() + 1, outer.right() - 1, outer.top() + 1);
    painter.drawLine(outer.left() + 1, outer.top() + 1, outer.left() + 1, outer.bottom() - 1);
    painter.setPen(Qt::white);
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
    const int border = PictureSurface::borderPixels;
    painter.setClipRect(outer.adjusted(border, border, -border, -border));
    painter.drawImage(border, border, surface_.image());
    if (Shape_Position.Visible)
        painter.fillRect(QRectF(border + Shape_Position.Left, border + Shape_Position.Top, Shape::width, Shape::height),
                         QColor(rgbFromColour(Shape_Position.BackColor)));
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    // Clicks belong to the inner area; one on the border selects nothing.
    const QPointF inner = event->position() - QPointF(PictureSurface::borderPixels, PictureSurface::borderPixels);
    if (inner.x() < 0 || inner.y() < 0 || inner.x() >= surface_.ScaleWidth() || inner.y() >= surface_.ScaleHeight())
        return;
    emit mouseDown(event->button(), event->modifiers(), float(inner.x()), float(inner.y()));
}

void PictureBox::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    emit keyUp(event->key(), event->modifiers());
}
