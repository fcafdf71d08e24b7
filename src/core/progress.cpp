#include "progress.h"

#include "rounding.h"

int progressPercent(int row, double height)
{
    return static_cast<int>(roundHalfEven((row + 1.0) * 100.0 / height));
}

QString progressText(QStringView activity, int row, double height)
{
    QString text;
    text.reserve(activity.size() + 4);
    text.append(activity);
    text.append(QString::number(progressPercent(row, height)));
    text.append(u'%');
    return text;
}

void reportProgress(const StatusSink &sink, QStringView activity, int row, double height)
{
    if (sink)
        sink(progressText(activity, row, height));
}
