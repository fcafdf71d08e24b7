#include "packbits.h"

#include <algorithm>

QByteArray packBits(const std::uint8_t *data, std::int64_t count)
{
    QByteArray out;
    out.reserve(count + count / 128 + 1);
    // The length of the run of equal bytes at i, at most 128.
    const auto runAt = [&](std::int64_t i) {
        std::int64_t n = 1;
        while (i + n < count && n < 128 && data[i + n] == data[i])
            ++n;
        return n;
    };
    std::int64_t i = 0;
    while (i < count) {
        const std::int64_t run = runAt(i);
        if (run >= 3) {
            out.append(char(257 - run));
            out.append(char(data[i]));
            i += run;
            continue;
        }
        // A literal: up to the next run of 3 or more, at most 128 bytes.
        std::int64_t end = i;
        while (end < count && end - i < 128 && runAt(end) < 3)
            end += runAt(end);
        end = std::min(end, i + 128);
        out.append(char(end - i - 1));
        out.append(reinterpret_cast<const char *>(data + i), qsizetype(end - i));
        i = end;
    }
    return out;
}
