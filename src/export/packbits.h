#pragma once

#include <QByteArray>

#include <cstdint>

// PackBits, as TIFF defines it: a count byte n, then n + 1 bytes as they are (n from 0 to 127), or one byte to
// repeat 257 - n times (n from 129 to 255); 128 is never written. Runs of 3 or more equal bytes are written as
// repeats, everything else as literals of up to 128 bytes, so the output is at most one byte in 128 larger than
// the input.
QByteArray packBits(const std::uint8_t *data, std::int64_t count);
