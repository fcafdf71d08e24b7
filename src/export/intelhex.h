#pragma once

#include <QByteArray>

#include <cstdint>

// Bytes as Intel HEX records for EPROM and flash programmers: data records of 16 bytes (shorter where the data
// ends or reaches a 64 KiB boundary), an extended linear address record before the first data record when the
// address is above 64 KiB and wherever the data passes a 64 KiB boundary, and the end-of-file record; each
// record ended by CR LF, as all the program's generated text is. The bytes come in pieces as they are made.
class IntelHexWriter {
public:
    // The first byte goes to `address`.
    explicit IntelHexWriter(std::uint32_t address) : address_(address) {}

    void append(const std::uint8_t *bytes, std::int64_t count, QByteArray &out);
    // The last data record and the end-of-file record.
    void finish(QByteArray &out);

private:
    void flushRecord(QByteArray &out);

    std::uint64_t address_;     // of the next byte
    std::uint32_t segment_ = 0; // the upper 16 bits the records' addresses stand in
    std::uint8_t record_[16] = {};
    int filled_ = 0;
};
