#include "framefollower.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <xcb/xproto.h>

namespace {

QMargins frameMargins(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

FrameFollower::FrameFollower(QWidget *window, std::function<void()> changed)
    : QObject(window), window_(window), changed_(std::move(changed))
{
    window->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

FrameFollower::~FrameFollower()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

void FrameFollower::check()
{
    // A hidden or minimised window has no frame on the screen; its margins may read as none meanwhile.
    if (!window_->isVisible() || window_->isMinimized())
        return;
    const QMargins margins = frameMargins(window_);
    if (margins != known_) {
        known_ = margins;
        changed_();
    }
}

bool FrameFollower::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == window_ && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show))
        check();
    return false;
}

bool FrameFollower::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    // On X11 the manager writes the frame's size into the window's _NET_FRAME_EXTENTS property, and when the
    // window was already placed nothing else may follow. Qt reads the property again after it has seen the
    // change, so the check runs once this event is handled.
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *change = static_cast<const xcb_property_notify_event_t *>(message);
    if (window_->internalWinId() && change->window == window_->internalWinId())
        QMetaObject::invokeMethod(this, &FrameFollower::check, Qt::QueuedConnection);
    return false;
}
