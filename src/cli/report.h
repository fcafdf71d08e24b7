#pragma once

#include "cli/wording.h"

#include <QString>
#include <QStringList>

// What the converter says on standard error: English, one line a message, each naming the file it is about,
// whatever the locale, so that a build log shows it as it is.

enum ExitCode { Success = 0, Refused = 1, UsageError = 2 };

inline constexpr char programName[] = "tessaline-cli";

// Writes one line to standard error in the encoding that the terminal expects.
void writeLine(const QString &text);
// "tessaline-cli: " and the message, on one line whatever it holds.
void complain(const QString &message);

// What one picture's conversion has to say. A batch converts pictures side by side, so each keeps its lines
// until it is done and then writes them together; a picture alone writes them as they come.
class Report {
public:
    explicit Report(bool keep) : keep_(keep) {}
    ~Report() { flush(); }
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    void line(const QString &text);
    void complain(const QString &message);
    // A line of the preview: in a batch, kept up to a bound, since a tall picture's preview has no end.
    void preview(const QString &text);
    void flush();
    // Forgets what was kept: the picture is converted again.
    void discard()
    {
        lines_.clear();
        previewKept_ = 0;
        previewCut_ = false;
    }

private:
    static constexpr qsizetype maxPreviewKept = 1 << 20;
    bool keep_;
    QStringList lines_;
    qsizetype previewKept_ = 0;
    bool previewCut_ = false;
};
