#include "filesave.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A device, pipe or socket has no contents to keep and must not be replaced by a regular file (renaming over
// /dev/null would do that), so it is written to directly.
bool writeDirectly(const QString &path, const QByteArray &data, QString *errorString)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(data) != data.size()) {
        *errorString = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool saveFileAtomically(const QString &path, const QByteArray &data, QString *errorString)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *errorString = QStringLiteral("%1 is a directory").arg(path);
        return false;
    }
    if (info.exists() && !info.isFile())
        return writeDirectly(path, data, errorString);
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
