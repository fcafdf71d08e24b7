#include "statuspanels.h"

#include "core/twips.h"
#include "windows/fontfamilies.h"

#include <QFont>
#include <QLabel>

#include <algorithm>

namespace {

// Widths of the panels in twips, and panel 1's minimum.
constexpr float panelTwips[3] = {5790, 1200, 1400};
constexpr float panel1MinimumTwips = 1440;

QFont statusFont()
{
    QFont font;
    font.setFamilies(chineseFontFamilies());
    font.setPointSize(9);
    return font;
}

} // namespace

StatusPanels::StatusPanels(QWidget *parent) : QWidget(parent)
{
    setFont(statusFont());
    for (QLabel *&panel : panels_) {
        panel = new QLabel(this);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setContentsMargins(2, 0, 2, 0);
    }
}

void StatusPanels::setPanelText(int panel, const QString &text)
{
    emit panelTextSet(panel, text);
    QLabel *label = panels_.at(std::size_t(panel - 1));
    if (label->text() == text)
        return;
    label->setText(text);
    if (panel == 1 && label->isVisible())
        label->repaint();
}

QString StatusPanels::panelText(int panel) const
{
    return panels_.at(std::size_t(panel - 1))->text();
}

void StatusPanels::resizeEvent(QResizeEvent *)
{
    const int time = pixelsFromTwips(panelTwips[1]);
    const int date = pixelsFromTwips(panelTwips[2]);
    const int message = std::max(pixelsFromTwips(panel1MinimumTwips), width() - time - date);
    panels_[0]->setGeometry(0, 0, message, height());
    panels_[1]->setGeometry(message, 0, time, height());
    panels_[2]->setGeometry(message + time, 0, date, height());
}
