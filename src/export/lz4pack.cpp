#include "lz4pack.h"

#include <lz4.h>
#include <lz4hc.h>

#include <limits>

std::int64_t lz4MostBytes()
{
    return LZ4_MAX_INPUT_SIZE;
}

std::int64_t lz4Bound(std::int64_t count)
{
    // liblz4's own bound where it packs; past its limit (refused), the same formula, for the budget's sums
    return count <= LZ4_MAX_INPUT_SIZE ? LZ4_compressBound(int(count)) : count + count / 255 + 16;
}

QByteArray packLz4(const std::uint8_t *data, std::int64_t count)
{
    // (a frame past LZ4's limit is refused before the road starts: see ByteStage's budget)
    if (count <= 0 || count > LZ4_MAX_INPUT_SIZE)
        return {};
    QByteArray out(qsizetype(lz4Bound(count)), Qt::Uninitialized);
    const int written = LZ4_compress_HC(reinterpret_cast<const char *>(data), out.data(), int(count), int(out.size()),
                                        LZ4HC_CLEVEL_MAX);
    out.resize(written);
    return out;
}
