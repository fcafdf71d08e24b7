#pragma once

#include "app/platform.h"

#include <QStringList>

class QWidget;

// The platform of a real run: Qt's file dialog and message boxes, the screen the main window is on, the local
// clock.
class QtPlatform : public Platform {
public:
    // `arguments` is the command line as the process received it, the program's name first.
    explicit QtPlatform(QStringList arguments);

    // The window whose screen screenSize() and usableArea() describe; until it is set, the primary screen.
    void setWindow(const QWidget *window) { window_ = window; }

    void ShowOpen(OpenFileDialog &dialog) override;
    void messageBox(const QString &text, const QString &title, MessageIcon icon) override;
    QSizeF screenSize() const override;
    QRectF usableArea() const override;
    QDateTime now() const override;
    QString programDirectory() const override;
    QString commandLine() const override;
    void endProgram() override;

private:
    QStringList arguments_;
    const QWidget *window_ = nullptr;
};
