#include "report.h"

#include "export/codewriters.h"
#include "export/textencoding.h"

#include <cstdio>
#include <mutex>

namespace {

QString heldWords(const Refusal &r)
{
    if (r.value == 0)
        return QStringLiteral("%1 needs more memory than the limit of %2 bytes (--max-memory raises it)")
            .arg(r.subject)
            .arg(r.limit);
    const QString beside = r.held > 0 ? QStringLiteral(" beside the %1 bytes already held").arg(r.held) : QString();
    return QStringLiteral("holding %1 whole takes %2 bytes%3, more than the memory limit of %4 bytes "
                          "(--max-memory raises it)")
        .arg(r.subject)
        .arg(r.value)
        .arg(beside)
        .arg(r.limit);
}

} // namespace

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

QString worded(const Refusal &r)
{
    using Rule = Refusal::Rule;
    switch (r.rule) {
    case Rule::None:
    case Rule::Damaged:
        break;
    case Rule::Side:
        return QStringLiteral("%1 is %2 x %3 pixels; no side may pass %4 pixels")
            .arg(r.subject)
            .arg(r.width)
            .arg(r.height)
            .arg(r.limit);
    case Rule::Pixels:
        return QStringLiteral("%1 is %2 x %3 pixels, more than the limit of %4 pixels (--max-pixels raises it)")
            .arg(r.subject)
            .arg(r.width)
            .arg(r.height)
            .arg(r.limit);
    case Rule::Decoded:
        return QStringLiteral("%1 are more than %2 pixels to decode (--max-pixels raises it)")
            .arg(r.subject)
            .arg(r.limit);
    case Rule::Read:
        return QStringLiteral("%1 is longer than the memory limit of %2 bytes (--max-memory raises it)")
            .arg(r.subject)
            .arg(r.limit);
    case Rule::Held:
        return heldWords(r);
    case Rule::Multiple:
        return QStringLiteral("%1 is %2 pixels wide; the width must be a multiple of %3 (or use --pad)")
            .arg(r.subject)
            .arg(r.value)
            .arg(r.limit);
    case Rule::Strike:
        return QStringLiteral("the bitmap font %1 has glyphs of %2 pixels, not %3 (leave out --size)")
            .arg(r.subject)
            .arg(r.value)
            .arg(r.limit);
    case Rule::NoGlyph:
        return QStringLiteral("the font %1 has no glyph for %2 (use --missing blank to leave its cell empty)")
            .arg(r.subject, r.detail);
    case Rule::NoCode:
        return QStringLiteral("%1 has no GB2312 code (use --index unicode)").arg(r.subject);
    case Rule::NoCell:
        return QStringLiteral("%1 has no GB2312 code, so the grid has no cell for it (leave it out of the strings, or "
                              "draw them without --grid)")
            .arg(r.subject);
    case Rule::CodeWidth:
        return QStringLiteral("%1 does not fit the 16-bit table of codes").arg(r.subject);
    }
    return r.detail;
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
