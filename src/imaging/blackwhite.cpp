#include "blackwhite.h"

#include "imaging/pixeltable.h"

#include <algorithm>

void luminanceRow(const QRgb *pixels, int width, std::uint8_t *luminance)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        const unsigned thousandths = 299 * ((p >> 16) & 0xFF) + 587 * ((p >> 8) & 0xFF) + 114 * (p & 0xFF);
        const unsigned whole = thousandths / 1000;
        const unsigned rest = thousandths % 1000;
        luminance[x] = std::uint8_t(whole + ((rest > 500) | ((rest == 500) & whole)));
    }
}

BlackAndWhite::BlackAndWhite(Rule rule, Colour black, int threshold, Dither dither, int width)
    : rule_(rule), black_(black), threshold_(threshold), dither_(dither)
{
    if (rule == Rule::Dither)
        for (std::vector<int> &row : errors_)
            row.assign(std::size_t(std::max(width, 0)) + 4, 0);
}

BlackAndWhite BlackAndWhite::exact(Colour black)
{
    return {Rule::Exact, black, 0, Dither::None, 0};
}

BlackAndWhite BlackAndWhite::threshold(int n)
{
    return {Rule::Threshold, 0, n, Dither::None, 0};
}

BlackAndWhite BlackAndWhite::dithered(Dither dither, int width)
{
    return {Rule::Dither, 0, 128, dither, width};
}

void BlackAndWhite::classify(const QRgb *pixels, int width, std::uint8_t *entries)
{
    if (rule_ == Rule::Exact) {
        readPixelRow(pixels, width, black_, entries);
        return;
    }
    if (luminance_.size() < std::size_t(width))
        luminance_.resize(std::size_t(width));
    std::uint8_t *lum = luminance_.data();
    luminanceRow(pixels, width, lum);
    if (rule_ == Rule::Threshold) {
        for (int x = 0; x < width; ++x)
            entries[x] = lum[x] < threshold_;
        return;
    }
    if (dither_ == Dither::Bayer4) {
        static constexpr int matrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        const int *m = matrix[row_ % 4];
        for (int x = 0; x < width; ++x)
            entries[x] = lum[x] < 16 * m[x % 4] + 8;
        ++row_;
        return;
    }
    if (errors_[0].size() < std::size_t(width) + 4)
        for (std::vector<int> &row : errors_)
            row.resize(std::size_t(width) + 4, 0);
    // Error diffusion: each pixel's error (its value less the 0 or 255 it became) is handed on in whole
    // numbers, each share rounded toward zero. Column x lives at x + 2 in the error rows.
    int *now = errors_[0].data() + 2;
    int *next = errors_[1].data() + 2;
    int *after = errors_[2].data() + 2;
    const bool atkinson = dither_ == Dither::Atkinson;
    for (int x = 0; x < width; ++x) {
        const int value = lum[x] + now[x];
        const bool black = value < 128;
        entries[x] = black;
        const int error = value - (black ? 0 : 255);
        if (atkinson) { // 1/8 to the next two on the row, three below and the one two rows down
            const int share = error / 8;
            now[x + 1] += share;
            now[x + 2] += share;
            next[x - 1] += share;
            next[x] += share;
            next[x + 1] += share;
            after[x] += share;
        } else { // 7/16 right; 3/16, 5/16 and 1/16 below left, below and below right
            now[x + 1] += error * 7 / 16;
            next[x - 1] += error * 3 / 16;
            next[x] += error * 5 / 16;
            next[x + 1] += error / 16;
        }
    }
    std::rotate(std::begin(errors_), std::begin(errors_) + 1, std::end(errors_));
    std::fill(errors_[2].begin(), errors_[2].end(), 0);
}
