#include "filesave.h"

#include <QFileInfo>
#include <QSaveFile>

bool saveFileAtomically(const QString &path, const QByteArray &data, QString *errorString)
{
    if (QFileInfo(path).isDir()) {
        *errorString = QStringLiteral("%1 is a directory").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *errorString = file.errorString();
        return false;
    }
    if (file.write(data) != data.size()) {
        *errorString = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *errorString = file.errorString();
        return false;
    }
    return true;
}
