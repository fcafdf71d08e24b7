#pragma once

#include "core/refusal.h"

#include "core/limits.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>

// The bytes of a picture file, read where a decoder asks for them: a file is read piece by piece (never whole,
// never mapped, so reading a picture costs the same memory whatever its size), or bytes already in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t size() const = 0;
    // Copies up to `count` bytes from `offset` into `data`; the number copied, fewer only at the end of the
    // data; -1 when reading fails (refusal() says why).
    virtual std::int64_t readAt(std::int64_t offset, char *data, std::int64_t count) = 0;
    const Refusal &refusal() const { return error_; }

protected:
    Refusal error_;
};

// Opens the regular file at `path`. Null, with `why` saying why, when it is missing, a directory or
// any other kind of file that is not a regular one (a pipe would block, a device never end), or empty.
std::unique_ptr<ByteSource> openFileSource(const QString &path, Refusal *why);

// Bytes in memory; they must outlive the source.
std::unique_ptr<ByteSource> memorySource(QByteArrayView data);

// Standard input: a regular file behind it is read piece by piece like any other; anything else (a pipe) is
// read whole into memory first, since the readers need to seek, reserved from the budget as it comes. Null,
// with `why` saying why, when it is empty, larger than the budget has room for, or cannot be read.
std::unique_ptr<ByteSource> openStandardInput(const Limits &limits, Refusal *why);

// Reads a source from front to back through a buffer, for decoders that take their input as a stream.
class ByteReader {
public:
    explicit ByteReader(ByteSource &source, std::int64_t start = 0) : source_(source), position_(start) {}

    // Copies up to `count` bytes; the number copied (fewer at the end of the data), -1 on a read error.
    std::int64_t read(char *data, std::int64_t count);
    // The next byte, or -1 at the end of the data or on an error.
    int byte()
    {
        if (next_ == end_ && !refill())
            return -1;
        ++position_;
        return static_cast<unsigned char>(buffer_[next_++]);
    }
    std::int64_t position() const { return position_; }
    void seek(std::int64_t position);
    bool failed() const { return failed_; }

private:
    bool refill();

    static constexpr int bufferSize = 64 * 1024;
    ByteSource &source_;
    std::int64_t position_ = 0;
    char buffer_[bufferSize];
    int next_ = 0;
    int end_ = 0;
    bool failed_ = false;
};
