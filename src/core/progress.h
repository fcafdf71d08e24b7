#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// Receives every text meant for the first panel of the status bar. An empty sink drops them.
using StatusSink = std::function<void(const QString &text)>;

// The percentage of rows done once row `row` (counted from 0) of `height` rows is finished:
// (row + 1) * 100 / height, a half to the even neighbour. After the last row it is 100.
int progressPercent(int row, double height);

// The progress line after row `row`: the activity text, the percentage, "%".
QString progressText(QStringView activity, int row, double height);

// Hands `progressText(...)` to `sink`, if there is one. All the row loops report through this.
void reportProgress(const StatusSink &sink, QStringView activity, int row, double height);
