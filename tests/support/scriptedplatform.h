#pragma once

#include "app/platform.h"
#include "core/twips.h"

#include <QList>
#include <QStringList>

#include <functional>

// A platform whose answers the test writes beforehand and whose message boxes the test reads afterwards.
// Nothing it does waits for a person.
class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString text;
        QString title;
        MessageIcon icon;
    };

    // Answers of the open dialog, taken in order; an empty answer is a cancel.
    QStringList openAnswers;
    QList<OpenFileDialog> dialogsShown;
    QList<Message> messages;
    // Called while a message box is "open", to look at the program in that moment.
    std::function<void(const Message &)> whileMessageShown;

    QSizeF screen{twipsFromPixels(1280), twipsFromPixels(1024)};
    QRectF usable{0, 0, twipsFromPixels(1280), twipsFromPixels(1024)};
    QDateTime clock{QDate(2002, 11, 15), QTime(14, 5, 9)};
    QString directory;
    QString arguments;
    int endCalls = 0;

    void ShowOpen(OpenFileDialog &dialog) override
    {
        dialogsShown.append(dialog);
        const QString answer = openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        if (!answer.isEmpty())
            dialog.FileName = answer;
    }
    void messageBox(const QString &text, const QString &title, MessageIcon icon) override
    {
        messages.append({text, title, icon});
        if (whileMessageShown)
            whileMessageShown(messages.last());
    }
    QSizeF screenSize() const override { return screen; }
    QRectF usableArea() const override { return usable; }
    QDateTime now() const override { return clock; }
    QString programDirectory() const override { return directory; }
    QString commandLine() const override { return arguments; }
    void endProgram() override { ++endCalls; }
};
