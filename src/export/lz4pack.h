#pragma once

#include <QByteArray>

#include <cstdint>

// A frame's bytes as one LZ4 block (the block format alone, no frame around it), packed by liblz4's high-compression
// mode at its highest level: sequences of literals and matches whose offsets reach back at most 65535 bytes into
// what the block has produced, the last five bytes literals. At most compressBound(count) bytes.
QByteArray packLz4(const std::uint8_t *data, std::int64_t count);
// The most bytes a block holds (about 2 GiB).
std::int64_t lz4MostBytes();
// The most a block of `count` bytes may take.
std::int64_t lz4Bound(std::int64_t count);
