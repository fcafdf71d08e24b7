#pragma once

// The kinds of value the converter's options take (names, sizes, amounts) and the rules an option asks of the
// others, from which the option table's entries are made; each returns the error text for a value it cannot take.

#include "cli/optiontable.h"

#include <QSize>

#include <cstdint>
#include <utility>
#include <vector>

// An option that chooses among named values (case ignored).
template <typename Value>
Parse choice(std::vector<std::pair<const char *, Value>> table, std::function<void(Options &, Value)> set)
{
    QStringList names;
    for (const auto &[name, v] : table)
        names << QString::fromLatin1(name);
    Apply apply = [table, set, names](Options &options, const QString &value) -> std::optional<QString> {
        for (const auto &[name, v] : table) {
            if (value.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                set(options, v);
                return std::nullopt;
            }
        }
        if (names.size() == 1)
            return QStringLiteral("'%1': use %2").arg(value, names.last());
        return QStringLiteral("'%1': use %2 or %3")
            .arg(value, names.mid(0, names.size() - 1).join(u", "), names.last());
    };
    return {std::move(apply), names};
}

// An option that takes a whole number from `least` to `most` (of `unit`, where given).
Apply numberOption(int least, int most, const std::function<void(Options &, int)> &set, const char *unit = nullptr);
// An option that takes a size W x H ("16x16", an X too), each side from 1 to `largest` pixels.
Apply sizeOption(int largest, const std::function<void(Options &, QSize)> &set);
// A size: a whole number from 1 to `largest`, with a binary K, M or G after it where `units` allows.
std::optional<std::int64_t> sizeFromText(QString text, bool units, std::int64_t largest);
// --resize, --fit and --fill: a size W x H, each side from 1 to the largest a picture may have; --resize may
// leave out one side ("64x", "x32"), --fit and --fill both, where a display gives its screen.
Apply fitOption(Fit fit);
// What is wrong with `text` as the attribute of a C declaration, if anything: it must be printable ASCII on one
// line, its parentheses and double quotes balanced, with no = or , outside parentheses, and none of ; { } / \ ',
// digraphs or trigraphs, so that nothing in it can end the declarator, declare another array or open a comment.
std::optional<QString> attributeFault(const QString &text);
// A name longer than the assemblers keep.
QString longName(const QString &name);
// Whether the output is code text (A51, C51, sdas).
bool writesCode(const Options &o);
// An option that means something only where `holds`: "goes with `what`" elsewhere.
Check goesWith(const std::function<bool(const Options &)> &holds, const char *what);
// A rule for black and white: grey and colour pictures are dithered or quantised instead.
Check forMono();
// An option of the characters a font draws.
Check withFont();
