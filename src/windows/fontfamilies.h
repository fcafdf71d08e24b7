#pragma once

#include <QString>
#include <QStringList>

// The families the windows' Chinese text is set in, the first a machine has: Song where Windows fonts are
// installed, else the free CJK families a Debian desktop has.
inline QStringList chineseFontFamilies()
{
    return {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")};
}
