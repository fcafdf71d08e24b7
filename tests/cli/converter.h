#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// The one way the converter's tests run it: as a user would, a child process in a folder of its own that holds
// the worked example as t.bmp, in the C.UTF-8 locale, its header dated at a fixed instant.

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

inline const QByteArray exampleEpoch = "1037369109"; // 2002-11-15 14:05:09 UTC

// The words of a command line without quotes.
QStringList words(const char *text);
// A51 or C51 text after its header lines (the four, and any about the pixel format).
QByteArray afterHeader(const QByteArray &text);

class ConverterTest : public QObject {
public:
    ConverterTest();

protected:
    // The converter on `arguments` in the folder; `epoch` empty: the real clock. `inChild` runs in the child
    // before the converter starts; `input` is its standard input. Words NAME=VALUE first are its environment's.
    Run run(const QStringList &arguments, const QByteArray &epoch = exampleEpoch,
            const std::function<void()> &inChild = {}, const QByteArray &input = {}, const QString &program = {});
    // The same for a command line of words without quotes: run("-f c51 --name logo t.bmp").
    Run run(const char *commandLine) { return run(words(commandLine)); }
    // The converter as $CLI in a command line the shell reads, for words that are no UTF-8:
    // runInShell("\"$CLI\" --text \"$(printf 'A\\377')\" t.bmp").
    Run runInShell(const QString &commandLine);
    // The converter's peak memory in KiB, run as a child on `arguments`; -1 when it exits otherwise than `exitCode`.
    long peakKiB(const QList<QByteArray> &arguments, int exitCode = 0);
    // Writes `data` as the file `name` in the folder; its name.
    QString picture(const QString &name, const QByteArray &data);

    QTemporaryDir dir;
};
