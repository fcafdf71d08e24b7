#include "bmprle.h"

#include <algorithm>

RleStream::RleStream(ByteSource &source, std::int64_t start, std::int64_t width, std::int64_t height, bool fourBits)
    : source_(source), start_(start), width_(width), height_(height), four_(fourBits)
{
}

Refusal RleStream::cutShort(const ByteReader &in) const
{
    return in.failed() ? source_.refusal()
                       : Refusal(Refusal::Rule::CutShort, Subject::Thing::CompressedPixels).in("BMP");
}

const std::uint8_t *RleStream::row(std::int64_t s, Refusal *why)
{
    if (s / blockRows_ != decodedBlock_ && !decodeBlock(s / blockRows_, why))
        return nullptr;
    return blockIndices_.data() + (s % blockRows_) * width_;
}

// Where a walk's pixels go: the rows [first, first + rows) of a block, or nowhere (a walk that only indexes).
struct RleStream::Target {
    std::uint8_t *block;
    std::int64_t first;
    std::int64_t end;
    std::int64_t width;
    bool four;

    void put(const Cursor &cursor, std::int64_t x, std::uint8_t index) const
    {
        if (block && cursor.s >= first && cursor.s < end && x < width)
            block[(cursor.s - first) * width + x] = index;
    }
    // Pixel i of a run or of literal pixels, from the byte that holds it.
    std::uint8_t pixel(int i, int value) const
    {
        return std::uint8_t(four ? (i & 1 ? value & 0x0F : value >> 4) : value);
    }
};

bool RleStream::walk(ByteReader &in, Cursor &cursor, std::int64_t stopRow, std::uint8_t *block, std::int64_t blockFirst)
{
    const Target target{block, blockFirst, blockFirst + blockRows_, width_, four_};
    in.seek(cursor.position);
    while (!cursor.ended && cursor.s < stopRow) {
        const int count = in.byte();
        if (count < 0)
            return false;
        if (count > 0) { // a run of `count` pixels
            const int value = in.byte();
            if (value < 0)
                return false;
            if (block)
                for (int i = 0; i < count; ++i)
                    target.put(cursor, cursor.x + i, target.pixel(i, value));
            cursor.x += count;
        } else if (!escape(in, cursor, target)) {
            return false;
        }
        cursor.position = in.position();
    }
    return !in.failed();
}

bool RleStream::escape(ByteReader &in, Cursor &cursor, const Target &target)
{
    const int code = in.byte();
    if (code < 0)
        return false;
    if (code == 0) { // end of line
        cursor.x = 0;
        if (++cursor.s >= height_)
            cursor.ended = true;
    } else if (code == 1) { // end of bitmap
        cursor.ended = true;
    } else if (code == 2) { // a jump right and down, kept inside the picture
        const int dx = in.byte();
        const int dy = in.byte();
        if (dx < 0 || dy < 0)
            return false;
        cursor.x = std::min(cursor.x + dx, width_ - 1);
        cursor.s = std::min(cursor.s + dy, height_ - 1);
    } else { // `code` literal pixels, padded to a 16-bit boundary
        const int bytes = four_ ? (code + 1) / 2 : code;
        int value = 0;
        for (int i = 0; i < code; ++i) {
            if (!four_ || !(i & 1)) {
                value = in.byte();
                if (value < 0)
                    return false;
            }
            target.put(cursor, cursor.x + i, target.pixel(i, value));
        }
        if ((bytes & 1) && in.byte() < 0)
            return false;
        cursor.x += code;
    }
    return true;
}

bool RleStream::index(Refusal *why)
{
    // Blocks of at most 4 MiB of indices. A checkpoint holds the cursor as it entered, or jumped past, the
    // first row of its block; the blocks up to the next checkpoint start from it.
    blockRows_ = std::clamp<std::int64_t>((std::int64_t(4) << 20) / width_, 1, 64);
    ByteReader in(source_);
    Cursor cursor;
    cursor.position = start_;
    checkpoints_.push_back({0, cursor});
    while (!cursor.ended) {
        const std::int64_t block = cursor.s / blockRows_;
        if (!walk(in, cursor, (block + 1) * blockRows_, nullptr, 0)) {
            *why = cutShort(in);
            return false;
        }
        checkpoints_.push_back({block + 1, cursor});
    }
    return true;
}

bool RleStream::decodeBlock(std::int64_t block, Refusal *why)
{
    const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), block,
                                        [](std::int64_t b, const Checkpoint &c) { return b < c.block; });
    Cursor cursor = std::prev(after)->cursor;
    blockIndices_.assign(std::size_t(blockRows_ * width_), 0); // what the stream skips has index 0
    const std::int64_t first = block * blockRows_;
    ByteReader in(source_);
    if (!walk(in, cursor, first + blockRows_, blockIndices_.data(), first)) {
        *why = cutShort(in);
        return false;
    }
    decodedBlock_ = block;
    return true;
}
