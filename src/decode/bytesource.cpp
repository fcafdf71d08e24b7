#include "bytesource.h"

#include <QFile>

#include <algorithm>
#include <vector>
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
                error_ = Refusal(Refusal::Rule::ReadFailed).saying(QString::fromLocal8Bit(std::strerror(errno)));
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

// Bytes read from a stream, held in pieces of a fixed size: growing never copies what is held, so holding n
// bytes takes n bytes (and a piece), each piece reserved before it is allocated.
class PieceSource : public ByteSource {
public:
    static constexpr std::int64_t pieceBytes = 1 << 20;

    std::int64_t size() const override { return size_; }
    std::int64_t readAt(std::int64_t offset, char *data, std::int64_t count) override
    {
        std::int64_t done = 0;
        for (; done < count && offset + done < size_;) {
            const std::int64_t at = offset + done;
            const std::int64_t n = std::min({count - done, pieceBytes - at % pieceBytes, size_ - at});
            std::memcpy(data + done, pieces_[std::size_t(at / pieceBytes)].get() + at % pieceBytes, std::size_t(n));
            done += n;
        }
        return done;
    }
    // Room for `bytes` more after the end, within a piece; null, with the reason, when the budget has no room.
    char *room(const Limits &limits, const Subject &what, std::int64_t *bytes, Refusal *why)
    {
        if (size_ == std::int64_t(pieces_.size()) * pieceBytes) {
            if (!limits.reserve(pieceBytes, what, &held_, why))
                return nullptr;
            pieces_.push_back(std::make_unique<char[]>(std::size_t(pieceBytes)));
        }
        *bytes = pieceBytes - size_ % pieceBytes;
        return pieces_.back().get() + size_ % pieceBytes;
    }
    void grow(std::int64_t bytes) { size_ += bytes; }

private:
    Reservation held_;
    std::vector<std::unique_ptr<char[]>> pieces_;
    std::int64_t size_ = 0;
};

} // namespace

std::unique_ptr<ByteSource> openFileSource(const QString &path, Refusal *why)
{
    using Rule = Refusal::Rule;
    const auto fail = [&](Rule rule, const QString &words = {}) -> std::unique_ptr<ByteSource> {
        *why = Refusal(rule, {Subject::Thing::Picture, path}).saying(words);
        return nullptr;
    };
    if (path.isEmpty())
        return fail(Rule::NoSuchFile);
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        // A name whose bytes were not UTF-8 reached the program as other characters, and names no file.
        if (errno == ENOENT && path.contains(QChar::ReplacementCharacter))
            return fail(Rule::NameNotUtf8);
        return errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG
                   ? fail(Rule::NoSuchFile)
                   : fail(Rule::ReadFailed, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (S_ISDIR(info.st_mode))
        return fail(Rule::IsDirectory);
    if (!S_ISREG(info.st_mode))
        return fail(Rule::NotRegularFile);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(Rule::ReadFailed, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) { // replaced between the two looks
        ::close(fd);
        return fail(Rule::NotRegularFile);
    }
    if (opened.st_size == 0) {
        ::close(fd);
        return fail(Rule::Empty);
    }
    return std::make_unique<FileSource>(fd, std::int64_t(opened.st_size));
}

std::unique_ptr<ByteSource> memorySource(QByteArrayView data)
{
    return std::make_unique<MemorySource>(data);
}

std::unique_ptr<ByteSource> openStandardInput(const Limits &limits, Refusal *why)
{
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd >= 0)
            return std::make_unique<FileSource>(fd, std::int64_t(info.st_size));
    }
    auto data = std::make_unique<PieceSource>();
    while (true) {
        std::int64_t room = 0;
        char *into = data->room(limits, Subject::Thing::StandardInput, &room, why);
        if (!into)
            return nullptr;
        const ssize_t n = ::read(STDIN_FILENO, into, std::size_t(room));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = Refusal(Refusal::Rule::ReadFailed, Subject::Thing::StandardInput)
                       .saying(QString::fromLocal8Bit(std::strerror(errno)));
            return nullptr;
        }
        if (n == 0)
            break;
        data->grow(n);
    }
    if (data->size() == 0) {
        *why = Refusal(Refusal::Rule::Empty, Subject::Thing::StandardInput);
        return nullptr;
    }
    return data;
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
