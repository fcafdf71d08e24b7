#pragma once

#include <QWidget>

#include <array>

class QLabel;

// The main window's status bar: three sunken text panels. Panel 1 carries messages and progress and takes the
// width that panels 2 (time) and 3 (date) leave, down to its minimum.
class StatusPanels : public QWidget {
    Q_OBJECT

public:
    explicit StatusPanels(QWidget *parent = nullptr);

    // Sets the text of panel n (1 to 3). Panel 1 is repainted at once when its text changes, so progress
    // shows while a long loop runs without returning to the event loop; an unchanged text costs nothing.
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;

signals:
    // Every text set, changed or not, in order: what a user could have seen.
    void panelTextSet(int panel, const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    std::array<QLabel *, 3> panels_{};
};
