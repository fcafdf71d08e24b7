#pragma once

#include "core/clock.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

// The open-file dialog's properties, as the import command sets and reads them.
struct OpenFileDialog {
    QString FileName; // set before showing; the chosen path after, or unchanged when the user cancelled
    QString Filter;   // "description|patterns", patterns separated by ';'
};

enum class MessageIcon { Information, Warning };

// Everything the windows need from outside the program: dialogs, message boxes, the screen, the clock, the
// program's directory and command line. The program uses the real one; tests hand the windows a scripted one,
// so nothing waits on a modal window or depends on the machine's screen or date.
class Platform : public Clock {
public:
    // Shows the open dialog modally; on return dialog.FileName holds the chosen path, or is unchanged.
    virtual void ShowOpen(OpenFileDialog &dialog) = 0;
    // A modal message box with one OK button; returns when it is closed.
    virtual void messageBox(const QString &text, const QString &title, MessageIcon icon) = 0;
    // The whole screen, in twips, for centring windows.
    virtual QSizeF screenSize() const = 0;
    // The part of the screen a window may cover (without panels and task bars), in twips.
    virtual QRectF usableArea() const = 0;
    // The directory the program's executable is in.
    virtual QString programDirectory() const = 0;
    // Everything after the program's name on its command line, as one text.
    virtual QString commandLine() const = 0;
    // Ends the program.
    virtual void endProgram() = 0;
};

// An open dialog's filter ("Pictures (*.bmp;*.gif)|*.bmp;*.gif", pairs of description and patterns) in the form
// Qt's file dialog takes ("Pictures (*.bmp *.gif)", entries separated by ";;").
QString qtNameFilters(const QString &filter);
