#include "quantiser.h"

#include "imaging/pixelformat.h"

#include <algorithm>

Quantiser::Quantiser(Dither dither, int width, int channels, std::array<int, 3> max)
    : dither_(dither), width_(std::max(width, 0)), channels_(channels), max_(max)
{
    for (int c = 0; c < channels_; ++c) {
        for (int v = 0; v < 256; ++v)
            nearest_[std::size_t(c)][std::size_t(v)] = std::uint8_t(nearestLevel(v, max_[std::size_t(c)]));
        if (dither_ == Dither::FloydSteinberg || dither_ == Dither::Atkinson)
            for (std::vector<int> &errors : errors_[c])
                errors.assign(std::size_t(width_) + 4, 0);
    }
}

void Quantiser::row(const std::uint8_t *values, std::uint8_t *levels)
{
    const std::size_t count = std::size_t(width_) * std::size_t(channels_);
    switch (dither_) {
    case Dither::None:
        if (channels_ == 1) {
            const std::uint8_t *nearest = nearest_[0].data();
            for (std::size_t i = 0; i < count; ++i)
                levels[i] = nearest[values[i]];
            break;
        }
        for (std::size_t i = 0; i < count; i += 3) {
            levels[i] = nearest_[0][values[i]];
            levels[i + 1] = nearest_[1][values[i + 1]];
            levels[i + 2] = nearest_[2][values[i + 2]];
        }
        break;
    case Dither::Bayer4: {
        const int *m = bayer[row_ % 4];
        for (int x = 0; x < width_; ++x) {
            const int offset = 247 - 16 * m[x % 4];
            for (int c = 0; c < channels_; ++c) {
                const std::size_t i = std::size_t(x) * std::size_t(channels_) + std::size_t(c);
                const int max = max_[std::size_t(c)];
                levels[i] = std::uint8_t(std::min(max, (values[i] * max + offset) / 255));
            }
        }
        break;
    }
    case Dither::FloydSteinberg:
    case Dither::Atkinson:
        for (int c = 0; c < channels_; ++c)
            diffuse(values, levels, c);
        break;
    }
    ++row_;
}

void Quantiser::diffuse(const std::uint8_t *values, std::uint8_t *levels, int c)
{
    std::vector<int>(&rows)[3] = errors_[c];
    // Column x lives at x + 2 in the error rows.
    int *now = rows[0].data() + 2;
    int *next = rows[1].data() + 2;
    int *after = rows[2].data() + 2;
    const int max = max_[std::size_t(c)];
    const bool atkinson = dither_ == Dither::Atkinson;
    for (int x = 0; x < width_; ++x) {
        const std::size_t i = std::size_t(x) * std::size_t(channels_) + std::size_t(c);
        const int value = values[i] + now[x];
        const int level = value <= 0 ? 0 : std::min(max, (value * max + 127) / 255);
        levels[i] = std::uint8_t(level);
        const int error = value - widenLevel(level, max);
        if (atkinson) {
            const int share = error / 8;
            now[x + 1] += share;
            now[x + 2] += share;
            next[x - 1] += share;
            next[x] += share;
            next[x + 1] += share;
            after[x] += share;
        } else {
            now[x + 1] += error * 7 / 16;
            next[x - 1] += error * 3 / 16;
            next[x] += error * 5 / 16;
            next[x + 1] += error / 16;
        }
    }
    std::rotate(std::begin(rows), std::begin(rows) + 1, std::end(rows));
    std::fill(rows[2].begin(), rows[2].end(), 0);
}
