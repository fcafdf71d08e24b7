#include "pixelformat.h"

namespace {

constexpr PixelFormatTraits table[] = {
    {"mono", 1, 1, {1, 0, 0}},          {"gray2", 2, 1, {3, 0, 0}},  {"gray4", 4, 1, {15, 0, 0}},
    {"gray8", 8, 1, {255, 0, 0}},       {"rgb332", 8, 3, {7, 7, 3}}, {"rgb565", 16, 3, {31, 63, 31}},
    {"rgb888", 24, 3, {255, 255, 255}},
};

} // namespace

const PixelFormatTraits &traitsOf(PixelFormat format)
{
    return table[int(format)];
}
