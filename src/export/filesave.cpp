#include "filesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() = default; // a QSaveFile destroyed before its commit() removes its temporary file

bool OutputFile::open(const QString &path)
{
    path_ = path;
    const QFileInfo info(path);
    if (info.isDir()) {
        error_ = Refusal(Refusal::Rule::IsDirectory, {Subject::Thing::Output, path});
        return false;
    }
    if (!info.absoluteDir().exists()) {
        error_ = Refusal(Refusal::Rule::NoSuchFolder, {Subject::Thing::Output, info.path()});
        return false;
    }
    direct_ = info.exists() && !info.isFile();
    if (direct_)
        file_ = std::make_unique<QFile>(path);
    else
        file_ = std::make_unique<QSaveFile>(path);
    // Unbuffered: through Qt's write buffer a short write (a full disk) would be dropped at commit, which then
    // reports success over a cut file. Written directly, the short count shows at once.
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed();
    return true;
}

bool OutputFile::write(const char *data, std::int64_t size)
{
    // A short write is retried, so that the failure behind it (a full disk) is the one reported.
    for (std::int64_t written = 0; written < size;) {
        const qint64 n = file_->write(data + written, size - written);
        if (n <= 0)
            return failed();
        written += n;
    }
    return true;
}

bool OutputFile::commit()
{
    if (direct_)
        return true;
    if (!static_cast<QSaveFile *>(file_.get())->commit())
        return failed();
    return true;
}

bool OutputFile::failed()
{
    error_ = Refusal(Refusal::Rule::WriteFailed, {Subject::Thing::Output, path_}).saying(file_->errorString());
    return false;
}

bool saveFileAtomically(const QString &path, const QByteArray &data, Refusal *why)
{
    OutputFile file;
    if (file.open(path) && file.write(data.constData(), data.size()) && file.commit())
        return true;
    *why = file.refusal();
    return false;
}
