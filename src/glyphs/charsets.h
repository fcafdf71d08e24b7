#pragma once

#include "core/refusal.h"

#include "core/limits.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <set>

// Characters as glyph tables count them: which to draw, how wide they are, and their GB2312 codes.

// Calls `f` with each character of `text` in order (a surrogate pair as one character, a lone surrogate as
// itself), without making a copy of it.
template <typename F> void forEachCharacter(QStringView text, F f)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(text[i], text[i + 1]));
            ++i;
        } else {
            f(char32_t(text[i].unicode()));
        }
    }
}

// The same for a text that comes in pieces.
class DistinctCharacters {
public:
    // Adds the characters of the next piece not seen before.
    void add(QStringView text);
    QList<char32_t> list;

private:
    std::set<char32_t> seen_;
    char32_t last_ = U'\n';
};

// The encodings a text file of characters is read in: UTF-8, the Chinese national sets, and UTF-16 (its
// byte-order mark says which way round; big-endian without one). A byte-order mark at the start is no character.
enum class TextFileEncoding { Utf8, Gbk, Gb18030, Utf16 };
// Its name, as glibc's converters know it: "UTF-8", "GBK", "GB18030", "UTF-16".
const char *encodingName(TextFileEncoding encoding);

// The characters of the text file at `path`, as charactersOf() counts them. It is read in pieces and only its
// distinct characters are held; a file longer than the memory budget (a device that never ends) is refused.
// nullopt, with the reason, when it cannot be read, is too long, or is not in `encoding` (NotDecoded, with the
// line where it stops).
std::optional<QList<char32_t>> charactersOfTextFile(const QString &path, TextFileEncoding encoding,
                                                    const Limits &limits, Refusal *error);

// The lines of the text file at `path` (line ends left out; a last line end makes no empty line after it), held
// within the budget.
struct TextLines {
    QStringList lines;
    Reservation held;
};
std::optional<TextLines> linesOfTextFile(const QString &path, TextFileEncoding encoding, const Limits &limits,
                                         Refusal *error);

// The characters of ranges such as "U+0020-U+007E,U+4E00-U+4FFF" (a single code too: "U+20AC"), in order, each
// once; surrogates left out. nullopt when the text is not such ranges, a range runs backwards or past U+10FFFF,
// or they hold more than `most` characters.
std::optional<QList<char32_t>> charactersOfRanges(QStringView text, qsizetype most);

// The GB2312 grid: every code from A1A1 to F7FE, 94 a zone, in code order, its character or 0 where the code has
// none.
QList<char32_t> gb2312Grid();

// Every character of a named set, in its code order: "ascii" (0x20 to 0x7E) or "gb2312" (the 7445 of GB2312,
// row by row). nullopt for any other name.
std::optional<QList<char32_t>> charactersOfSet(const QString &name);

// The character's GB2312 code (EUC-CN, as GB2312 text stores it: 0xC4E3 for 你, 0x41 for A), or 0 where it has
// none.
std::uint16_t gb2312Code(char32_t c);

// Whether the character is wide in East Asian text: East Asian Width W, F or A (ambiguous characters are wide
// there, as every GB2312 table has them).
bool isWide(char32_t c);

// "你 U+4F60" and, where it has one, " GB2312 C4E3".
QString characterLabel(char32_t c);
