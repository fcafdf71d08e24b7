#include "intelhex.h"

namespace {

void putRecord(QByteArray &out, int type, std::uint16_t offset, const std::uint8_t *data, int count)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    unsigned sum = unsigned(count) + (offset >> 8) + (offset & 0xFF) + unsigned(type);
    const auto hex = [&](unsigned byte) {
        out.append(digits[byte >> 4]);
        out.append(digits[byte & 0x0F]);
    };
    out.append(':');
    hex(unsigned(count));
    hex(offset >> 8);
    hex(offset & 0xFF);
    hex(unsigned(type));
    for (int i = 0; i < count; ++i) {
        hex(data[i]);
        sum += data[i];
    }
    hex((0x100 - (sum & 0xFF)) & 0xFF);
    out.append("\r\n");
}

} // namespace

void IntelHexWriter::flushRecord(QByteArray &out)
{
    if (filled_ == 0)
        return;
    const std::uint64_t start = address_ - std::uint64_t(filled_);
    const auto segment = std::uint32_t(start >> 16);
    if (segment != segment_) {
        const std::uint8_t upper[2] = {std::uint8_t(segment >> 8), std::uint8_t(segment & 0xFF)};
        putRecord(out, 4, 0, upper, 2);
        segment_ = segment;
    }
    putRecord(out, 0, std::uint16_t(start & 0xFFFF), record_, filled_);
    filled_ = 0;
}

void IntelHexWriter::append(const std::uint8_t *bytes, std::int64_t count, QByteArray &out)
{
    for (std::int64_t i = 0; i < count; ++i) {
        record_[filled_++] = bytes[i];
        ++address_;
        // A record holds 16 bytes and never passes a 64 KiB boundary.
        if (filled_ == 16 || (address_ & 0xFFFF) == 0)
            flushRecord(out);
    }
}

void IntelHexWriter::finish(QByteArray &out)
{
    flushRecord(out);
    putRecord(out, 1, 0, nullptr, 0);
}
