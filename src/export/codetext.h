#pragma once

// The texts of code: the header lines of A51 and C51, a comment's words kept inside it, and a row of packed bytes
// as A51, C51 or a listing. The road's encoders and the window's writers both write with them.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

enum class CodeFormat { A51, C51, Hex, Sdas };

// The date and time texts a header prints: the date (yyyy-MM-dd) and the time of day.
struct CodeStamp {
    QString date;
    QString time;
};
CodeStamp codeStampAt(const QDateTime &moment);

// What a glyph table's header says in place of a picture's size: its glyphs, in cells of one size, of widths of
// their own (proportional) or cropped to their ink (the size then the widest and the tallest), and the height of
// the line they are set on.
struct GlyphTableShape {
    int glyphs = 0;
    bool cropped = false;
    bool varying = false; // cells of different widths
    int width = 0;
    int height = 0;
    int lineHeight = 0;
};

// The four header lines of A51 text (";----  ...") or C51 text ("/*----  ...  ----*/") for a picture of
// `width` x `height` pixels loaded from `picfile`, each ended by CR LF. HEX text has no header: empty.
// `picfile` is written as it is, but for what could end its comment: see textInComment(). Each of `notes`
// follows as a header line of its own. A glyph table names its font file where a picture's header names the
// picture file.
QString codeHeader(CodeFormat format, const QString &picfile, int width, int height, const CodeStamp &stamp,
                   const QStringList &notes = {}, bool font = false, const GlyphTableShape *table = nullptr);

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
