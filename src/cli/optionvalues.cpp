#include "optionvalues.h"

#include "export/cheader.h"

#include <QRegularExpression>

#include <algorithm>

Apply numberOption(int least, int most, const std::function<void(Options &, int)> &set, const char *unit)
{
    return [least, most, set, unit](Options &options, const QString &value) -> std::optional<QString> {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < least || n > most)
            return QStringLiteral("takes a number%1 from %2 to %3, not '%4'")
                .arg(unit ? QStringLiteral(" of %1").arg(QLatin1String(unit)) : QString(), QString::number(least),
                     QString::number(most), value);
        set(options, n);
        return std::nullopt;
    };
}

Apply sizeOption(int largest, const std::function<void(Options &, QSize)> &set)
{
    return [largest, set](Options &options, const QString &value) -> std::optional<QString> {
        static const QRegularExpression size(QStringLiteral("^([0-9]{1,7})[xX]([0-9]{1,7})$"));
        const QRegularExpressionMatch m = size.match(value);
        const int w = m.captured(1).toInt(), h = m.captured(2).toInt(); // no match: 0 and 0
        if (w < 1 || h < 1 || w > largest || h > largest)
            return QStringLiteral("takes a size such as 16x16, from 1 to %1 pixels a side, not '%2'")
                .arg(largest)
                .arg(value);
        set(options, QSize(w, h));
        return std::nullopt;
    };
}

std::optional<std::int64_t> sizeFromText(QString text, bool units, std::int64_t largest)
{
    int shift = 0;
    if (units && !text.isEmpty()) {
        const int at = QStringLiteral("KMG").indexOf(text.back().toUpper());
        if (at >= 0) {
            shift = 10 * (at + 1);
            text.chop(1);
        }
    }
    bool ok = false;
    const qulonglong n = text.toULongLong(&ok);
    if (!ok || n == 0 || n > qulonglong(largest >> shift))
        return std::nullopt;
    return std::int64_t(n) << shift;
}

Apply fitOption(Fit fit)
{
    return [fit](Options &o, const QString &value) -> std::optional<QString> {
        static const QRegularExpression size(QStringLiteral("^([0-9]{0,7})[xX]([0-9]{0,7})$"));
        const QRegularExpressionMatch m = size.match(value);
        const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
        const bool open = fit == Fit::Stretch ? (w > 0) != (h > 0) : false;
        const bool whole = w > 0 && h > 0 && w <= Limits::maxSide && h <= Limits::maxSide;
        if (fit != Fit::Stretch && value.isEmpty()) {
            o.displaySize = true;
        } else if (!m.hasMatch() || !(whole || (open && std::max(w, h) <= Limits::maxSide))) {
            return QStringLiteral("takes a size such as 128x64%1, each side from 1 to %2 pixels, not '%3'")
                .arg(fit == Fit::Stretch ? QStringLiteral(" (or 128x, x64)") : QString())
                .arg(Limits::maxSide)
                .arg(value);
        }
        if (o.road.resize.fit != Fit::None)
            return QStringLiteral("goes with no other of --resize, --fit and --fill");
        o.road.resize.fit = fit;
        o.road.resize.size = QSize(w, h);
        return std::nullopt;
    };
}

QString longName(const QString &name)
{
    return QStringLiteral("takes a name of at most %1 characters (SDCC's assembler keeps 255 of a symbol, and a "
                          "table's name adds up to 9), not one of %2")
        .arg(maxNameLength)
        .arg(name.size());
}

bool writesCode(const Options &o)
{
    return isCodeText(o.road.encode.format);
}

Check goesWith(const std::function<bool(const Options &)> &holds, const char *what)
{
    return [holds, what](const Options &o, const Given &) -> std::optional<QString> {
        if (holds(o))
            return std::nullopt;
        return QStringLiteral("goes with ") + QString::fromLatin1(what);
    };
}

Check forMono()
{
    return [](const Options &o, const Given &) -> std::optional<QString> {
        if (isMono(o))
            return std::nullopt;
        return QStringLiteral("is for --pixel mono; %1 takes --dither").arg(pixelName(o));
    };
}

Check withFont()
{
    return [](const Options &, const Given &given) -> std::optional<QString> {
        if (given.contains(u"font"))
            return std::nullopt;
        return QStringLiteral("goes with --font");
    };
}

namespace {

// Whether c and the character after it make a digraph or start a trigraph: <% %> <: :> %: are braces, brackets
// and # to a C compiler; ?? starts a trigraph.
bool digraph(char16_t c, char16_t next)
{
    return (c == u'<' && (next == u'%' || next == u':')) || (c == u'%' && (next == u'>' || next == u':')) ||
           (c == u':' && next == u'>') || (c == u'?' && next == u'?');
}

} // namespace

std::optional<QString> attributeFault(const QString &text)
{
    int depth = 0;
    bool quoted = false;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        const char16_t next = at + 1 < text.size() ? text[at + 1].unicode() : u'\0';
        if (c < 0x20 || c > 0x7E)
            return QStringLiteral("may hold printable ASCII alone, on one line");
        if (QStringView(u";{}/\\'").contains(QChar(c)))
            return QStringLiteral("may not hold ; { } / \\ or '");
        if (digraph(c, next))
            return QStringLiteral("may not hold a digraph or a trigraph");
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 0)
            break;
        else if ((c == u'=' || c == u',') && depth == 0)
            return QStringLiteral("may hold = and , only inside parentheses");
    }
    if (depth != 0 || quoted)
        return QStringLiteral("needs its parentheses and double quotes balanced");
    return std::nullopt;
}
