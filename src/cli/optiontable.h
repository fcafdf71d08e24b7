#pragma once

// The converter's option table, for the parser, --help and the checks of the manual and the completion: each
// entry an option with its names, group, value, help, what it does to Options and what it asks of the others.

#include "cli/options.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <type_traits>

// What an option does with its value; an error text for a value it cannot take.
using Apply = std::function<std::optional<QString>(Options &, const QString &value)>;

// How an option's value is read: what it does with it, and the names it takes where it takes only names (which
// the completion offers).
struct Parse {
    Apply apply;
    QStringList choices;
    Parse() = default;
    template <typename F, typename = std::enable_if_t<std::is_invocable_v<F, Options &, const QString &>>>
    Parse(F apply) : apply(std::move(apply))
    {
    }
    Parse(Apply apply, QStringList choices) : apply(std::move(apply)), choices(std::move(choices)) {}
};

// The options given, by their long names.
using Given = QStringList;
// What an option given asks of the others, checked once all are read; an error text when they do not go with it.
using Check = std::function<std::optional<QString>(const Options &, const Given &)>;

// The headings of --help, in their order.
enum class Group { Output, Size, Pixels, Packing, Characters, Frames, Files, Limits, Information };

struct Entry {
    QStringList names;
    Group group;
    const char *valueName; // null: a switch
    const char *help;
    Parse parse;
    Check check = {};
};

// The table, in the order the options were declared.
const QList<Entry> &entries();
// An entry's help, the settings it names filled in.
QString helpOf(const Entry &entry);
// The entries in the order of their groups, as --help lists them.
QList<const Entry *> byGroup();
