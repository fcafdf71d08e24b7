#pragma once

#include "core/refusal.h"
#include "decode/bytesource.h"

#include <cstdint>
#include <vector>

// A BMP's RLE4 or RLE8 stream read as rows of colour indices, in stream order (the file's bottom row first, unless
// the picture is stored top-down). The stream is walked through once when opened, so that a file cut short is
// refused before a row is read, keeping a checkpoint at each block of rows; a row is then decoded with its block,
// from the checkpoint before it. Where the format is silent: a run that would pass the end of its row stops there,
// and a pixel the stream skips (by a jump, or by ending early) has index 0.
class RleStream {
public:
    // The stream of `width` x `height` indices at `start` in `source`, 4 bits an index (RLE4) or 8.
    RleStream(ByteSource &source, std::int64_t start, std::int64_t width, std::int64_t height, bool fourBits);

    // Walks the stream through; false, with the reason, when it is cut short or cannot be read.
    bool index(Refusal *why);
    // The indices of stream row s (width of them), or null, with the reason, when the stream cannot be read.
    const std::uint8_t *row(std::int64_t s, Refusal *why);

private:
    // Where the cursor stands: its byte, and the pixel it writes next (row s counted in stream order).
    struct Cursor {
        std::int64_t position = 0;
        std::int64_t x = 0;
        std::int64_t s = 0;
        bool ended = false; // the end-of-bitmap escape, or past the last row
    };
    // The block of rows a checkpoint starts, and the cursor as it entered (or jumped past) its first row.
    struct Checkpoint {
        std::int64_t block;
        Cursor cursor;
    };
    // Steps `cursor` through the stream until it reaches stream row `stopRow` or the stream ends. With `block`,
    // the indices of stream rows [blockFirst, blockFirst + blockRows) are written into it. False when the data
    // runs out before the stream is whole.
    bool walk(ByteReader &in, Cursor &cursor, std::int64_t stopRow, std::uint8_t *block, std::int64_t blockFirst);
    struct Target;
    // After a 0 byte: the end of a line or of the picture, a jump, or literal pixels into `target`. False when the
    // data runs out.
    bool escape(ByteReader &in, Cursor &cursor, const Target &target);
    bool decodeBlock(std::int64_t block, Refusal *why);
    Refusal cutShort(const ByteReader &in) const;

    ByteSource &source_;
    std::int64_t start_;
    std::int64_t width_;
    std::int64_t height_;
    bool four_;
    std::int64_t blockRows_ = 64;
    std::vector<Checkpoint> checkpoints_;
    std::vector<std::uint8_t> blockIndices_;
    std::int64_t decodedBlock_ = -1;
};
