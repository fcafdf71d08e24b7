// The clock's timer and the status bar.

#include "form1.h"

#include "app/statuspanels.h"
#include "picture/picturebox.h"

#include <QTimer>

void Form1::Timer_Timer()
{
    if (PicBOX->Shape_Position.Visible) {
        PicBOX->Shape_Position.blink();
        PicBOX->update();
    }
    const QDateTime now = platform_.now();
    StatusBar->setPanelText(2, timeText(now));
    StatusBar->setPanelText(3, dateText(now));
}

QString Form1::statusText(int panel) const
{
    return StatusBar->panelText(panel);
}

void Form1::setStatus(const QString &text)
{
    StatusBar->setPanelText(1, text);
}

StatusSink Form1::statusSink()
{
    return [this](const QString &text) { setStatus(text); };
}
