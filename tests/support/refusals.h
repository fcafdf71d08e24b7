#pragma once

#include "core/refusal.h"

#include <QMetaType>
#include <QString>

// Refusals as the tests of the layers below the programs see them: by their codes and facts, never by the
// converter's words.
Q_DECLARE_METATYPE(Refusal::Rule)

// A refusal's code and facts on one line, for a failed check to show: "rule 12, thing 3, value 500 ...".
inline QString describe(const Refusal &r)
{
    return QStringLiteral("rule %1, thing %2 (%3, %4), value %5, limit %6, %7 x %8, held %9, detail '%10'")
        .arg(int(r.rule))
        .arg(int(r.subject.thing))
        .arg(r.subject.index)
        .arg(r.subject.name)
        .arg(r.value)
        .arg(r.limit)
        .arg(r.width)
        .arg(r.height)
        .arg(r.held)
        .arg(r.detail);
}
