#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The one source of the date and time that the status bar shows and the writers print in their headers.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The instant SOURCE_DATE_EPOCH names: nullopt when it is unset or empty, an invalid QDateTime when it is
// set but is not a whole number of seconds.
std::optional<QDateTime> sourceDateEpoch();

// The converter's clock: the instant SOURCE_DATE_EPOCH names, in UTC, so that a build that generates code gets
// the same bytes every time; the local time when it is unset (or not a number, which the converter refuses).
QDateTime reproducibleNow();

// The date as the program shows it, yyyy-MM-dd. (Written once as "20" and a two-digit year, which read 1970
// as 2070.)
QString dateText(const QDateTime &moment);
// The time of day, HH:mm:ss.
QString timeText(const QDateTime &moment);
