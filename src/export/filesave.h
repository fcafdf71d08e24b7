#pragma once

#include "core/refusal.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class QFileDevice;

// Where the converter's bytes go, in order.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be written; refusal() says why.
    virtual bool write(const char *data, std::int64_t size) = 0;
    const Refusal &refusal() const { return error_; }

protected:
    Refusal error_;
};

// A file written from front to back and put in place only when it is complete: the bytes go to a temporary
// file beside it, renamed over the old file by commit(). Until then, and when anything fails, the old file
// stays as it was and no temporary file is left. A device or pipe (/dev/stdout, a FIFO) has no contents to
// keep and must not be replaced by a regular file, so it is written to directly.
class OutputFile : public ByteSink {
public:
    OutputFile();
    ~OutputFile() override; // without commit(), the temporary file goes
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    bool open(const QString &path);
    bool write(const char *data, std::int64_t size) override;
    bool commit();

private:
    // False, with the system's words for what failed.
    bool failed();

    QString path_;
    std::unique_ptr<QFileDevice> file_;
    bool direct_ = false;
};

// Replaces the file at `path` with `data` through an OutputFile. False, with the reason, when that fails.
bool saveFileAtomically(const QString &path, const QByteArray &data, Refusal *why);
