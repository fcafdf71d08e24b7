#include "clock.h"

#include <QTimeZone>

std::optional<QDateTime> sourceDateEpoch()
{
    const QByteArray value = qgetenv("SOURCE_DATE_EPOCH").trimmed();
    if (value.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = value.toLongLong(&ok);
    if (!ok || seconds < 0)
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

QDateTime reproducibleNow()
{
    const std::optional<QDateTime> fixed = sourceDateEpoch();
    if (fixed && fixed->isValid())
        return *fixed;
    return QDateTime::currentDateTime();
}

QString dateText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd"));
}

QString timeText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("HH:mm:ss"));
}
