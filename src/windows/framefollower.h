#pragma once

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QObject>

#include <functional>

class QWidget;

// Tells a top-level window when the window system's frame around it becomes known or changes size. A window
// manager announces its frame only after the window is first shown, and without resizing the client area, so
// no resize event comes; a window whose layout is given by its outer size lays itself out again then. Nothing
// the user does with the window (moving, minimising, restoring) changes the frame, so it calls nothing then.
class FrameFollower : public QObject, public QAbstractNativeEventFilter {
public:
    // Calls `changed` each time the frame's margins around `window` differ from the ones seen before (none at
    // first: a window without a frame never calls it).
    FrameFollower(QWidget *window, std::function<void()> changed);
    ~FrameFollower() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void check();

    QWidget *window_;
    std::function<void()> changed_;
    QMargins known_;
};
