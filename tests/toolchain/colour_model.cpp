// The drawing runtime for a grey or colour frame on the host, built once for each format (TESSALINE_DRAW_PIXEL):
// random boxes, outlines, bitmaps of the frame's format (copied, flipped, masked, with a transparent colour), mono
// bitmaps in a colour and gray4 coverage laid over the frame, inside it, across each edge and wholly outside, against
// a model that keeps each pixel's value and packs them as the converter's README says. Exit 1 at the first
// difference, naming the case.

extern "C" {
#include "tessaline_draw.h"
}

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int width = TESSALINE_DRAW_WIDTH, height = TESSALINE_DRAW_HEIGHT, bits = TESSALINE_DRAW_BITS;
constexpr unsigned top = bits == 16 ? 0xFFFF : (1u << bits) - 1;

int rowBytes(int w)
{
    return (w * bits + 7) / 8;
}

// Pixels packed in rows, the leftmost in the highest bits, rgb565 in the frame's byte order.
std::vector<unsigned char> pack(const std::vector<unsigned> &pixels, int w, int h)
{
    std::vector<unsigned char> out(std::size_t(rowBytes(w) * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned v = pixels[std::size_t(y * w + x)];
            unsigned char *row = &out[std::size_t(y * rowBytes(w))];
            if constexpr (bits < 8)
                row[x * bits / 8] |= static_cast<unsigned char>(v << (8 - bits - x * bits % 8));
            else if (bits == 8)
                row[x] = static_cast<unsigned char>(v);
            else {
                const bool big = TESSALINE_DRAW_BYTE_ORDER == TESSALINE_BIG_ENDIAN;
                row[2 * x] = static_cast<unsigned char>(big ? v >> 8 : v);
                row[2 * x + 1] = static_cast<unsigned char>(big ? v : v >> 8);
            }
        }
    return out;
}

// The frame's pixels read back from its bytes (the padding left out).
std::vector<unsigned> unpack(const unsigned char *bytes)
{
    std::vector<unsigned> pixels(std::size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char *row = bytes + y * rowBytes(width);
            unsigned v;
            if constexpr (bits < 8)
                v = row[x * bits / 8] >> (8 - bits - x * bits % 8) & top;
            else if (bits == 8)
                v = row[x];
            else
                v = TESSALINE_DRAW_BYTE_ORDER == TESSALINE_BIG_ENDIAN ? unsigned(row[2 * x] << 8 | row[2 * x + 1])
                                                                      : unsigned(row[2 * x + 1] << 8 | row[2 * x]);
            pixels[std::size_t(y * width + x)] = v;
        }
    return pixels;
}

// The format's channels: each one's place (its lowest bit) and its top level.
struct Channel {
    int shift;
    unsigned top;
};
std::vector<Channel> channels()
{
    if (TESSALINE_DRAW_PIXEL == TESSALINE_RGB332)
        return {{5, 7}, {2, 7}, {0, 3}};
    if (TESSALINE_DRAW_PIXEL == TESSALINE_RGB565)
        return {{11, 31}, {5, 63}, {0, 31}};
    return {{0, top}};
}

// `colour` laid over `under` by a coverage of 0 to 15: the weight in sixteenths, a channel at a time.
unsigned blend(unsigned under, unsigned colour, unsigned coverage)
{
    const unsigned weight = coverage + coverage / 8;
    unsigned out = 0;
    for (const Channel &c : channels()) {
        const unsigned u = under >> c.shift & c.top, k = colour >> c.shift & c.top;
        out |= (u * (16 - weight) + k * weight + 8) / 16 << c.shift;
    }
    return out;
}

} // namespace

int main()
{
    std::mt19937 random(20261209);
    std::vector<unsigned> model(std::size_t(width * height));
    for (int round = 0; round < 20000; ++round) {
        const int w = 1 + int(random() % 40), h = 1 + int(random() % 40);
        const int x = int(random() % (width + 100)) - 50, y = int(random() % (height + 100)) - 50;
        // a box, its outline, a copy (or with a mask), a flip, a key, mono, coverage; a copy and mono from external RAM
        const int kind = int(random() % 9);
        const unsigned colour = unsigned(random()) & top, key = unsigned(random() % 4) & top;
        const unsigned background = random() % 2 ? 15 : 0;
        const bool masked = random() % 2;
        std::vector<unsigned> picture(std::size_t(w * h)), grey(std::size_t(w * h));
        std::vector<unsigned char> mono(std::size_t((w + 7) / 8 * h)), mask(mono.size()),
            coverage(std::size_t((w + 1) / 2 * h));
        for (int i = 0; i < w * h; ++i) {
            // Few values, so that the key is often met; grey coverage often none or whole, as a font's is.
            picture[std::size_t(i)] = random() % 3 ? unsigned(random() % 4) & top : unsigned(random()) & top;
            grey[std::size_t(i)] = random() % 2 ? (random() % 2 ? 15 : 0) : unsigned(random() % 16);
            const std::size_t at = std::size_t(i / w * ((w + 7) / 8) + i % w / 8);
            const unsigned char bit = static_cast<unsigned char>(0x80 >> (i % w % 8));
            if (random() % 2)
                mono[at] |= bit;
            if (random() % 2)
                mask[at] |= bit;
            const std::size_t half = std::size_t(i / w * ((w + 1) / 2) + i % w / 2);
            coverage[half] |= static_cast<unsigned char>((grey[std::size_t(i)] ^ background) << (i % w % 2 ? 0 : 4));
        }
        const std::vector<unsigned char> packed = pack(picture, w, h);
        if (round % 50 == 0) { // now and then a fresh frame of noise
            for (unsigned i = 0; i < sizeof tessaline_frame; ++i)
                tessaline_frame[i] = static_cast<unsigned char>(random());
            model = unpack(tessaline_frame);
        }
        const std::vector<unsigned char> padding(tessaline_frame, tessaline_frame + sizeof tessaline_frame);
        const auto W = static_cast<tessaline_size>(w), H = static_cast<tessaline_size>(h);
        const auto C = static_cast<tessaline_colour>(colour);
        switch (kind) {
        case 0:
            tessaline_fill(x, y, W, H, C);
            break;
        case 1:
            tessaline_outline(x, y, W, H, C);
            break;
        case 2:
            tessaline_bitmap(packed.data(), masked ? mask.data() : nullptr, W, H, x, y, TESSALINE_COPY);
            break;
        case 3:
            tessaline_bitmap(packed.data(), nullptr, W, H, x, y, TESSALINE_XOR);
            break;
        case 4:
            tessaline_keyed(packed.data(), W, H, x, y, static_cast<tessaline_colour>(key));
            break;
        case 5:
            tessaline_mono(mono.data(), W, H, x, y, C);
            break;
        case 6:
            tessaline_grey(coverage.data(), W, H, x, y, C, static_cast<unsigned char>(background));
            break;
        case 7:
            tessaline_xbitmap(packed.data(), masked ? mask.data() : nullptr, W, H, x, y, TESSALINE_COPY);
            break;
        default:
            tessaline_xmono(mono.data(), W, H, x, y, C);
            break;
        }
        for (int by = 0; by < h; ++by)
            for (int bx = 0; bx < w; ++bx) {
                const int fx = x + bx, fy = y + by;
                if (fx < 0 || fx >= width || fy < 0 || fy >= height)
                    continue;
                unsigned &p = model[std::size_t(fy * width + fx)];
                const std::size_t i = std::size_t(by * w + bx);
                const bool bit = mono[std::size_t(by * ((w + 7) / 8) + bx / 8)] & 0x80 >> (bx % 8);
                const bool edge = bx == 0 || by == 0 || bx == w - 1 || by == h - 1;
                const bool covered = !masked || mask[std::size_t(by * ((w + 7) / 8) + bx / 8)] & 0x80 >> (bx % 8);
                if (kind == 0 || (kind == 1 && edge) || ((kind == 5 || kind == 8) && bit))
                    p = colour;
                else if ((kind == 2 || kind == 7) && covered)
                    p = picture[i];
                else if (kind == 3)
                    p ^= picture[i];
                else if (kind == 4 && picture[i] != key)
                    p = picture[i];
                else if (kind == 6)
                    p = blend(p, colour, grey[i]);
            }
        // The padding past the frame's width, in a row's last byte, is left as it was.
        const unsigned char pad = static_cast<unsigned char>(0xFF >> (width * bits % 8));
        for (int row = 0; bits < 8 && width * bits % 8 && row < height; ++row) {
            const std::size_t last = std::size_t((row + 1) * rowBytes(width) - 1);
            if ((tessaline_frame[last] ^ padding[last]) & pad) {
                std::printf("round %d: kind %d, %d x %d at (%d, %d) changed a padding bit\n", round, kind, w, h, x, y);
                return 1;
            }
        }
        const std::vector<unsigned> frame = unpack(tessaline_frame);
        for (int i = 0; i < width * height; ++i)
            if (frame[std::size_t(i)] != model[std::size_t(i)]) {
                std::printf("round %d: kind %d, %d x %d at (%d, %d), colour %#x: pixel (%d, %d) is %#x, not %#x\n",
                            round, kind, w, h, x, y, colour, i % width, i / width, frame[std::size_t(i)],
                            model[std::size_t(i)]);
                return 1;
            }
    }
    return 0;
}
