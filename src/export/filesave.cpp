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
    // Unbuffered: through Qt's write buffer a short write (a full disk) is dropped at commit, which then
    // reports success over a cut file. Written directly, the short count shows here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *errorString = file.errorString();
        return false;
    }
    // A short write is retried, so that the failure behind it (a full disk) is the one reported.
    for (qsizetype written = 0; written < data.size();) {
        const qint64 n = file.write(data.constData() + written, data.size() - written);
        if (n <= 0) {
            *errorString = file.errorString();
            file.cancelWriting();
            return false;
        }
        written += qsizetype(n);
    }
    if (!file.commit()) {
        *errorString = file.errorString();
        return false;
    }
    return true;
}
