// The drawing runtime on the host, built once for each frame it may be set up for (TESSALINE_DRAW_*): random
// bitmaps, with and without masks, in each mode, drawn at places inside the frame, across each of its edges and
// wholly outside (negative too), against a model that draws them a pixel at a time. Exit 1 at the first
// difference, naming the case.

extern "C" {
#include "tessaline_draw.h"
}

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int width = TESSALINE_DRAW_WIDTH, height = TESSALINE_DRAW_HEIGHT;

// The frame's byte and bit of pixel (x, y).
std::pair<int, int> frameBit(int x, int y)
{
#if TESSALINE_DRAW_VERTICAL // a KS0108's too: its pages across both controllers, as the converter writes them
    return {y / 8 * width + x, y % 8};
#else
    return {y * ((width + 7) / 8) + x / 8, 7 - x % 8};
#endif
}

// A bitmap of `w` x `h` pixels in the frame's layout, its padding clear.
struct Bitmap {
    int w, h;
    std::vector<unsigned char> bytes;
    Bitmap(int w, int h) : w(w), h(h)
    {
#if TESSALINE_DRAW_VERTICAL
        bytes.assign(std::size_t((h + 7) / 8 * w), 0);
#else
        bytes.assign(std::size_t((w + 7) / 8 * h), 0);
#endif
    }
    std::pair<int, int> bit(int x, int y) const
    {
#if TESSALINE_DRAW_VERTICAL
        return {y / 8 * w + x, y % 8};
#else
        return {y * ((w + 7) / 8) + x / 8, 7 - x % 8};
#endif
    }
    bool at(int x, int y) const
    {
        const auto [i, b] = bit(x, y);
        return bytes[std::size_t(i)] >> b & 1;
    }
    void set(int x, int y)
    {
        const auto [i, b] = bit(x, y);
        bytes[std::size_t(i)] |= static_cast<unsigned char>(1 << b);
    }
};

} // namespace

int main()
{
    std::mt19937 random(20261208);
    std::vector<unsigned char> model(sizeof tessaline_frame);
    const auto pixel = [&](const std::vector<unsigned char> &frame, int x, int y) {
        const auto [i, b] = frameBit(x, y);
        return frame[std::size_t(i)] >> b & 1;
    };
    for (int round = 0; round < 20000; ++round) {
        // now and then a big bitmap: past 255 pixels where the frame is (its sizes then 16-bit), most of them small
        const int most = round % 20 ? 40 : width > 255 || height > 255 ? 320 : 255;
        const int w = 1 + int(random() % unsigned(most)), h = 1 + int(random() % unsigned(most));
        const int x = int(random() % unsigned(width + 2 * most + 20)) - most - 10,
                  y = int(random() % unsigned(height + 2 * most + 20)) - most - 10;
        const int mode = int(random() % 4);
        const int kind = int(random() % 8); // 0: a filled box, 1: its outline, else a bitmap
        const bool masked = random() % 4 == 0;
        Bitmap bits(w, h), mask(w, h);
        for (int by = 0; by < h; ++by)
            for (int bx = 0; bx < w; ++bx) {
                if (random() % 2)
                    bits.set(bx, by);
                if (random() % 2)
                    mask.set(bx, by);
            }
        if (round % 50 == 0) // now and then a fresh frame of noise
            for (unsigned i = 0; i < sizeof tessaline_frame; ++i)
                model[i] = tessaline_frame[i] = static_cast<unsigned char>(random());
        if (kind == 0)
            tessaline_fill(x, y, static_cast<tessaline_size>(w), static_cast<tessaline_size>(h),
                           static_cast<unsigned char>(mode));
        else if (kind == 1)
            tessaline_outline(x, y, static_cast<tessaline_size>(w), static_cast<tessaline_size>(h),
                              static_cast<unsigned char>(mode));
        else if (kind == 2) // from external RAM
            tessaline_xbitmap(bits.bytes.data(), masked ? mask.bytes.data() : nullptr, static_cast<tessaline_size>(w),
                              static_cast<tessaline_size>(h), x, y, static_cast<unsigned char>(mode));
        else
            tessaline_bitmap(bits.bytes.data(), masked ? mask.bytes.data() : nullptr, static_cast<tessaline_size>(w),
                             static_cast<tessaline_size>(h), x, y, static_cast<unsigned char>(mode));
        for (int by = 0; by < h; ++by)
            for (int bx = 0; bx < w; ++bx) {
                const int fx = x + bx, fy = y + by;
                if (fx < 0 || fx >= width || fy < 0 || fy >= height)
                    continue;
                const auto [i, b] = frameBit(fx, fy);
                const unsigned char one = static_cast<unsigned char>(1 << b);
                unsigned char &byte = model[std::size_t(i)];
                const bool edge = bx == 0 || by == 0 || bx == w - 1 || by == h - 1;
                // A box's pixels, or its edge's, all drawn as 1 bits (a copy sets them); a bitmap's its own.
                const bool drawn = kind == 0 || (kind == 1 && edge) || (kind > 1 && bits.at(bx, by));
                if (kind > 1 && masked) {
                    if (mask.at(bx, by))
                        byte = static_cast<unsigned char>(bits.at(bx, by) ? byte | one : byte & ~one);
                } else if (kind > 1 && mode == TESSALINE_COPY) {
                    byte = static_cast<unsigned char>(drawn ? byte | one : byte & ~one);
                } else if (drawn) {
                    byte = static_cast<unsigned char>(mode == TESSALINE_CLEAR ? byte & ~one
                                                      : mode == TESSALINE_XOR ? byte ^ one
                                                                              : byte | one);
                }
            }
        const std::vector<unsigned char> frame(tessaline_frame, tessaline_frame + sizeof tessaline_frame);
        for (int fy = 0; fy < height; ++fy)
            for (int fx = 0; fx < width; ++fx)
                if (pixel(frame, fx, fy) != pixel(model, fx, fy)) {
                    std::printf(
                        "round %d: a %d x %d %s%s at (%d, %d), mode %d: pixel (%d, %d) is %d, not %d\n", round, w, h,
                        kind == 0   ? "box"
                        : kind == 1 ? "outline"
                                    : "bitmap",
                        masked ? " with a mask" : "", x, y, mode, fx, fy, pixel(frame, fx, fy), pixel(model, fx, fy));
                    return 1;
                }
        // The padding past the frame's width, in a row's last byte, is left as it was, as --render leaves it.
        if (frame != model) {
            std::printf("round %d: a %d x %d bitmap at (%d, %d), mode %d, changed a padding bit\n", round, w, h, x, y,
                        mode);
            return 1;
        }
    }
    return 0;
}
