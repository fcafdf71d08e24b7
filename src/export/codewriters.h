#pragma once

#include "core/limits.h"
#include "core/progress.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

class PixelTable;

enum class CodeFormat { A51, C51, Hex, Sdas };

// The date and time texts a header prints: the date (yyyy-MM-dd) and the time of day.
struct CodeStamp {
    QString date;
    QString time;
};
CodeStamp codeStampAt(const QDateTime &moment);

// What a writer builds. codetext is the whole text (CR LF line ends); codelines holds the text of each
// picture row; codebytes the packed bytes of the whole picture (the HEX writer only). Their bytes are held in
// `held`, from the budget the writer ran within. When the road refused, `refusal` says why and the text stops
// where it did.
struct GeneratedCode {
    QString codetext;
    QStringList codelines;
    QByteArray codebytes;
    Reservation held;
    Refusal refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// The four header lines of A51 text (";----  ...") or C51 text ("/*----  ...  ----*/") for a picture of
// `width` x `height` pixels loaded from `picfile`, each ended by CR LF. HEX text has no header: empty.
// `picfile` is written as it is, but for what could end its comment: see textInComment(). Each of `notes`
// follows as a header line of its own. A glyph table names its font file where a picture's header names the
// picture file.
QString codeHeader(CodeFormat format, const QString &picfile, int width, int height, const CodeStamp &stamp,
                   const QStringList &notes = {}, bool font = false);

// `text` on one line and shown as it reads: each control or format character (line ends and bidirectional
// controls among them) and line or paragraph separator as '?'.
QString onOneLine(QStringView text);

// `text` as a comment of `format` may hold it: on one line, and in C51 each "*/" written "*\/", so that no name
// can end the comment or the line and put code of its own into a firmware. Any other text is kept as it is.
QString textInComment(CodeFormat format, QStringView text);

// Appends the text of one picture row of `count` packed bytes, as it stands in codelines: A51 "DB" lines of at
// most 16 entries such as 081H, or C51 lines of at most 16 constants such as 0x81 each followed by ", ", every
// line ended by CR LF; for HEX the listing, entries such as "81 ", without a line end. Plain ASCII.
void appendCodeRow(CodeFormat format, const std::uint8_t *bytes, int count, QByteArray &out);

// The window's writers: the converter's road run over the pixel table within the budget of `limits`, each filling
// codetext, codelines (and codebytes) a row at a time, their bytes reserved as they come, and reporting its
// progress after each row.

// A51 assembler source: four comment lines naming `picfile`, the size and the stamp, then "DB" lines of at
// most 16 entries such as 081H, a new line for every picture row.
GeneratedCode writeA51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status, const Limits &limits);

// C51 source: the same header as C comments, then lines of at most 16 constants such as 0x81, each followed
// by ", ". Nothing is declared around them.
GeneratedCode writeC51(const PixelTable &pixelinfo, const QString &picfile, const CodeStamp &stamp,
                       const StatusSink &status, const Limits &limits);

// The packed bytes (W x H / 8 of them) and their listing, a picture row a line of entries such as "81 ".
GeneratedCode writeHex(const PixelTable &pixelinfo, const StatusSink &status, const Limits &limits);
