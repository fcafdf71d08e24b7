#include "report.h"

#include "export/codetext.h"
#include "export/textencoding.h"

#include <cstdio>
#include <mutex>

void writeLine(const QString &text)
{
    const QByteArray bytes = encodeText(text + u'\n', localeTextEncoding()).bytes;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void complain(const QString &message)
{
    writeLine(QString::fromLatin1(programName) + QStringLiteral(": ") + onOneLine(message));
}

void Report::line(const QString &text)
{
    if (keep_)
        lines_ << text;
    else
        writeLine(text);
}

void Report::complain(const QString &message)
{
    line(QString::fromLatin1(programName) + QStringLiteral(": ") + onOneLine(message));
}

void Report::preview(const QString &text)
{
    if (keep_ && previewKept_ + text.size() + 1 > maxPreviewKept) {
        if (!previewCut_)
            lines_ << QStringLiteral("(the rest of the preview is left out: a batch keeps %1 characters of it a "
                                     "picture)")
                          .arg(maxPreviewKept);
        previewCut_ = true;
        return;
    }
    previewKept_ += text.size() + 1;
    line(text);
}

void Report::flush()
{
    static std::mutex writing;
    const std::lock_guard<std::mutex> lock(writing);
    for (const QString &text : std::as_const(lines_))
        writeLine(text);
    lines_.clear();
}
