#include "bytesource.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileSource : public ByteSource {
public:
    FileSource(int fd, std::int64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    std::int64_t size() const override { return size_; }
    std::int64_t readAt(std::int64_t offset, char *data, std::int64_t count) override
    {
        std::int64_t done = 0;
        while (done < count && offset + done < size_) {
            const ssize_t n = ::pread(fd_, data + done, std::size_t(count - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error_ = QString::fromLocal8Bit(std::strerror(errno));
                return -1;
            }
            if (n == 0)
                break; // the file shrank while it was read
            done += n;
        }
        return done;
    }

private:
    int fd_;
    std::int64_t size_;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(QByteArrayView data) : data_(data) {}
    std::int64_t size() const override { return data_.size(); }
    std::int64_t readAt(std::int64_t offset, char *data, std::int64_t count) override
    {
        if (offset >= data_.size() || count <= 0)
            return 0;
        const std::int64_t n = std::min<std::int64_t>(count, data_.size() - offset);
        std::memcpy(data, data_.data() + offset, std::size_t(n));
        return n;
    }

private:
    QByteArrayView data_;
};

// Bytes that the source owns.
struct HeldBytes {
    QByteArray bytes;
};
class OwnedSource : private HeldBytes, public MemorySource {
public:
    explicit OwnedSource(QByteArray data) : HeldBytes{std::move(data)}, MemorySource(HeldBytes::bytes) {}
};

} // namespace

std::unique_ptr<ByteSource> openFileSource(const QString &path, QString *errorString)
{
    const auto fail = [&](const QString &why) -> std::unique_ptr<ByteSource> {
        *errorString = why;
        return nullptr;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no such file"));
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return fail(errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG
                        ? QStringLiteral("no such file")
                        : QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISDIR(info.st_mode))
        return fail(QStringLiteral("is a directory, not a picture file"));
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("is not a regular file"));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) { // replaced between the two looks
        ::close(fd);
        return fail(QStringLiteral("is not a regular file"));
    }
    if (opened.st_size == 0) {
        ::close(fd);
        return fail(QStringLiteral("the file is empty"));
    }
    return std::make_unique<FileSource>(fd, std::int64_t(opened.st_size));
}

std::unique_ptr<ByteSource> memorySource(QByteArrayView data)
{
    return std::make_unique<MemorySource>(data);
}

std::unique_ptr<ByteSource> openStandardInput(std::int64_t maxBytes, QString *errorString)
{
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd >= 0)
            return std::make_unique<FileSource>(fd, std::int64_t(info.st_size));
    }
    QByteArray data;
    char buffer[64 * 1024];
    while (true) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *errorString = QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        if (n == 0)
            break;
        if (data.size() + n > maxBytes) {
            *errorString = QStringLiteral("standard input holds more than the memory limit of %1 bytes "
                                          "(--max-memory raises it)")
                               .arg(maxBytes);
            return nullptr;
        }
        data.append(buffer, n);
    }
    if (data.isEmpty()) {
        *errorString = QStringLiteral("standard input is empty");
        return nullptr;
    }
    return std::make_unique<OwnedSource>(std::move(data));
}

bool ByteReader::refill()
{
    if (failed_)
        return false;
    const std::int64_t n = source_.readAt(position_, buffer_, bufferSize);
    if (n < 0)
        failed_ = true;
    next_ = 0;
    end_ = n > 0 ? int(n) : 0;
    return end_ > 0;
}

std::int64_t ByteReader::read(char *data, std::int64_t count)
{
    std::int64_t done = 0;
    while (done < count) {
        if (next_ == end_) {
            if (count - done >= bufferSize) { // a large read goes straight to the caller's memory
                const std::int64_t n = source_.readAt(position_, data + done, count - done);
                if (n < 0) {
                    failed_ = true;
                    return -1;
                }
                position_ += n;
                return done + n;
            }
            if (!refill())
                return failed_ ? -1 : done;
        }
        const int n = int(std::min<std::int64_t>(end_ - next_, count - done));
        std::memcpy(data + done, buffer_ + next_, std::size_t(n));
        next_ += n;
        done += n;
        position_ += n;
    }
    return done;
}

void ByteReader::seek(std::int64_t position)
{
    // Within the buffer the bytes stay; elsewhere the next read fetches them.
    const std::int64_t bufferStart = position_ - next_;
    if (position >= bufferStart && position <= bufferStart + end_) {
        next_ = int(position - bufferStart);
    } else {
        next_ = end_ = 0;
    }
    position_ = position;
}
