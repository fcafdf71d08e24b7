/* tessaline_draw: see tessaline_draw.h.

   A bitmap is drawn a byte at a time, each byte of it moved to where it lands in the frame by one
   multiplication (the 8051's MUL AB shifts a byte by any number of bits at once, into two bytes), so that a
   byte that straddles two of the frame's bytes is read once and written into both. */
#include "tessaline_draw.h"

#if TESSALINE_DRAW_BITS == 1 /* grey and colour frames: tessaline_colour.c */

unsigned char TESSALINE_XDATA tessaline_frame[TESSALINE_FRAME_BYTES];

/* 1 << n, for n from 0 to 7. */
static const unsigned char TESSALINE_CODE powers[8] = {1, 2, 4, 8, 16, 32, 64, 128};

/* What each mode does to a byte of the frame with a byte of the bitmap's. */
#define SET_BITS(into, from) ((into) |= (from))
#define CLEAR_BITS(into, from) ((into) &= ~(from))
#define FLIP_BITS(into, from) ((into) ^= (from))
/* `loop` made for the mode: a loop of its own for each, with the mode's operation as its parameter. */
#define BY_MODE(loop)                                                                                                  \
    do {                                                                                                               \
        if (mode == TESSALINE_SET)                                                                                     \
            loop(SET_BITS);                                                                                            \
        else if (mode == TESSALINE_CLEAR)                                                                              \
            loop(CLEAR_BITS);                                                                                          \
        else                                                                                                           \
            loop(FLIP_BITS);                                                                                           \
    } while (0)

/* The byte `from` of a bitmap into the frame's byte `into`: where `masked`, the pixels `cover` holds take the
   bitmap's (`cover` its mask's byte); otherwise as `mode` says. */
#define COMBINE(into, from, cover, masked, mode)                                                                       \
    do {                                                                                                               \
        if (masked)                                                                                                    \
            *(into) = (*(into) & ~(cover)) | ((from) & (cover));                                                       \
        else if ((mode) == TESSALINE_SET)                                                                              \
            *(into) |= (from);                                                                                         \
        else if ((mode) == TESSALINE_CLEAR)                                                                            \
            *(into) &= ~(from);                                                                                        \
        else                                                                                                           \
            *(into) ^= (from);                                                                                         \
    } while (0)

#if TESSALINE_DRAW_VERTICAL

#define PAGES ((TESSALINE_DRAW_HEIGHT + 7) / 8)

/* The frame's byte of column `column` in page `page` (both within the frame). A KS0108's frame is the same: a
   page across the module's 128 columns, the left controller's 64 first, as the converter writes its data. */
#define AT(page, column) (tessaline_frame + (unsigned char)(page) * (unsigned char)TESSALINE_DRAW_WIDTH + (column))

/* `count` bytes of a bitmap's page (and of its mask's), each moved down by multiplying it by `times` (a power of
   two), into `top` (what stays in the frame's page) and `bottom` (what passes into the page below); either may be
   null, where that page lies outside the frame. */
static void run(const unsigned char TESSALINE_CODE *bits, const unsigned char TESSALINE_CODE *mask,
                unsigned char TESSALINE_XDATA *top, unsigned char TESSALINE_XDATA *bottom, unsigned char count,
                unsigned char times, unsigned char mode)
{
    unsigned int moved, cover = 0xFFFF;
    unsigned char low, high, shift;
    unsigned char TESSALINE_XDATA *into;
    if (!mask && !(top && bottom)) { /* one page of the frame: a page-aligned bitmap's, or the frame's first or last */
        into = top ? top : bottom;
        shift = top ? 0 : 8;
#define ONE_PAGE(apply)                                                                                                \
    do {                                                                                                               \
        moved = *bits * times;                                                                                         \
        ++bits;                                                                                                        \
        apply(*into, (unsigned char)(moved >> shift));                                                                 \
        ++into;                                                                                                        \
    } while (--count)
        BY_MODE(ONE_PAGE);
        return;
    }
    if (top && bottom && !mask) { /* the common case, each mode a loop of its own */
#define PAGE_PAIR(apply)                                                                                               \
    do {                                                                                                               \
        moved = *bits * times;                                                                                         \
        ++bits;                                                                                                        \
        apply(*top, (unsigned char)moved);                                                                             \
        ++top;                                                                                                         \
        apply(*bottom, (unsigned char)(moved >> 8));                                                                   \
        ++bottom;                                                                                                      \
    } while (--count)
        BY_MODE(PAGE_PAIR);
        return;
    }
    do {
        moved = *bits * times;
        ++bits;
        if (mask) {
            cover = *mask * times;
            ++mask;
        }
        if (top) {
            low = (unsigned char)moved;
            COMBINE(top, low, (unsigned char)cover, mask, mode);
            ++top;
        }
        if (bottom) {
            high = (unsigned char)(moved >> 8);
            COMBINE(bottom, high, (unsigned char)(cover >> 8), mask, mode);
            ++bottom;
        }
    } while (--count);
}

/* Two pages of a bitmap (a glyph of up to 16 rows), `upper` and `lower`, `count` columns, moved down by `times`
   into three pages of the frame from `top` on: the middle one takes both, written once. `cut`: the middle page is
   the frame's last, and what would go below it is left out. */
static void twoPages(const unsigned char TESSALINE_CODE *upper, unsigned char TESSALINE_XDATA *top, unsigned char count,
                     unsigned char width, unsigned char times, unsigned char mode, unsigned char cut)
{
    const unsigned char TESSALINE_CODE *lower = upper + width;
    unsigned char TESSALINE_XDATA *middle = top + TESSALINE_DRAW_WIDTH;
    unsigned char TESSALINE_XDATA *bottom = middle + TESSALINE_DRAW_WIDTH;
    unsigned int high, low;
#define THREE_PAGES(apply)                                                                                             \
    do {                                                                                                               \
        high = *upper * times;                                                                                         \
        ++upper;                                                                                                       \
        low = *lower * times;                                                                                          \
        ++lower;                                                                                                       \
        apply(*top, (unsigned char)high);                                                                              \
        ++top;                                                                                                         \
        apply(*middle, (unsigned char)(high >> 8) | (unsigned char)low);                                               \
        ++middle;                                                                                                      \
        apply(*bottom, (unsigned char)(low >> 8));                                                                     \
        ++bottom;                                                                                                      \
    } while (--count)
#define TWO_PAGES(apply)                                                                                               \
    do {                                                                                                               \
        high = *upper * times;                                                                                         \
        ++upper;                                                                                                       \
        low = *lower * times;                                                                                          \
        ++lower;                                                                                                       \
        apply(*top, (unsigned char)high);                                                                              \
        ++top;                                                                                                         \
        apply(*middle, (unsigned char)(high >> 8) | (unsigned char)low);                                               \
        ++middle;                                                                                                      \
    } while (--count)
    if (cut) {
        BY_MODE(TWO_PAGES);
        return;
    }
    BY_MODE(THREE_PAGES);
}

void tessaline_bitmap(const unsigned char TESSALINE_CODE *bits, const unsigned char TESSALINE_CODE *mask,
                      tessaline_size width, tessaline_size height, int x, int y, unsigned char mode)
{
    unsigned char pages = (unsigned char)((height + 7) >> 3);
    unsigned char times = powers[(unsigned char)y & 7];
    unsigned char first = 0, count = width, column, p;
    signed char page;
    unsigned char TESSALINE_XDATA *top;
    unsigned char TESSALINE_XDATA *bottom;
    TESSALINE_TOUCHED(y, height);
    if (mode == TESSALINE_COPY && !mask) { /* opaque: the box cleared, then the 1 bits set */
        tessaline_fill(x, y, width, height, TESSALINE_CLEAR);
        mode = TESSALINE_SET;
    }
    if (!width || !height) /* a glyph of no ink (a space) */
        return;
    /* The common case: inside the frame across and from its top down, each page of the bitmap into two of the
       frame's (one at a row that is a multiple of 8, or at the frame's last page), what passes the bottom left out. */
    if (!mask && x >= 0 && y >= 0 && (unsigned int)x + width <= TESSALINE_DRAW_WIDTH && y < TESSALINE_DRAW_HEIGHT) {
        p = (unsigned char)((unsigned char)y >> 3); /* the frame's page the bitmap's top lies in */
        top = AT(p, (unsigned char)x);
        if (pages == 2 && times > 1 && p + 1 < PAGES) {
            twoPages(bits, top, width, width, times, mode, p + 2 >= PAGES);
            return;
        }
        do {
            run(bits, 0, top, times > 1 && p + 1 < PAGES ? top + TESSALINE_DRAW_WIDTH : 0, width, times, mode);
            bits += width;
            top += TESSALINE_DRAW_WIDTH;
        } while (--pages && ++p < PAGES);
        return;
    }
    if (x >= TESSALINE_DRAW_WIDTH || x <= -(int)width || y >= TESSALINE_DRAW_HEIGHT || y <= -(int)height)
        return;
    /* The page the bitmap's top row lies in, above the frame too: y >> 3 rounds down, as both compilers shift a
       negative number. */
    page = (signed char)(y >> 3);
    if (x < 0) {
        first = (unsigned char)-x;
        count -= first;
    }
    column = (unsigned char)(x + first);
    if (column + count > TESSALINE_DRAW_WIDTH)
        count = (unsigned char)(TESSALINE_DRAW_WIDTH - column);
    bits += first;
    if (mask)
        mask += first;
    for (p = pages; p; --p, ++page, bits += width) {
        top = page >= 0 && page < PAGES ? AT(page, column) : 0;
        bottom = times > 1 && page + 1 >= 0 && page + 1 < PAGES ? AT(page + 1, column) : 0;
        if (top || bottom)
            run(bits, mask, top, bottom, count, times, mode);
        if (mask)
            mask += width;
    }
}

#else /* rows */

#define ROW_BYTES ((TESSALINE_DRAW_WIDTH + 7) / 8)
/* The pixels of a row's last byte that lie inside the frame: its padding bits are never drawn, as --render and
   the converter leave them. */
#define EDGE ((unsigned char)(0xFF00u >> (TESSALINE_DRAW_WIDTH % 8 ? TESSALINE_DRAW_WIDTH % 8 : 8)))

void tessaline_bitmap(const unsigned char TESSALINE_CODE *bits, const unsigned char TESSALINE_CODE *mask,
                      tessaline_size width, tessaline_size height, int x, int y, unsigned char mode)
{
    unsigned char bytes = (unsigned char)((width + 7) >> 3);
    unsigned char shift = (unsigned char)x & 7;
    unsigned char times = powers[(8 - shift) & 7]; /* a byte moved right by `shift`, into two bytes */
    int column =
        (x - shift) >> 3; /* the frame's byte the bitmap's left byte starts in (x - shift is a multiple of 8) */
    unsigned char row, k, b, m, left, right = 0, coverLeft = 0xFF, coverRight = 0xFF;
    unsigned int moved;
    unsigned char TESSALINE_XDATA *into;
    TESSALINE_TOUCHED(y, height);
    if (mode == TESSALINE_COPY && !mask) { /* opaque: the box cleared, then the 1 bits set */
        tessaline_fill(x, y, width, height, TESSALINE_CLEAR);
        mode = TESSALINE_SET;
    }
    if (!width || !height || x >= TESSALINE_DRAW_WIDTH || x + width <= 0 || y >= TESSALINE_DRAW_HEIGHT ||
        y + height <= 0)
        return;
    /* The rows inside the frame, from the first: where it starts in the bitmap, its mask and the frame (a byte by a
       byte, which the 8051 multiplies in one instruction). */
    row = y < 0 ? (unsigned char)-y : 0;
    m = y + height > TESSALINE_DRAW_HEIGHT ? (unsigned char)(TESSALINE_DRAW_HEIGHT - y) : height; /* past the last */
    bits += (unsigned char)row * bytes;
    if (mask)
        mask += (unsigned char)row * bytes;
    into = tessaline_frame + (unsigned char)(y + row) * (unsigned char)ROW_BYTES;
    /* The common case: no mask, inside the frame's whole bytes across. Each byte lands in two of the frame's (one,
       at a multiple of 8): the parts of two bytes that meet in one frame byte are disjoint, so each mode may apply
       them one after the other. */
    if (!mask && x >= 0 && (unsigned int)column + bytes + (shift ? 1 : 0) <= TESSALINE_DRAW_WIDTH / 8) {
        for (into += column; row < m; ++row, into += ROW_BYTES - bytes) { /* each row's loop moves both on */
            k = bytes;
#define ROW_COPY(apply)                                                                                                \
    do {                                                                                                               \
        apply(*into, *bits);                                                                                           \
        ++into;                                                                                                        \
        ++bits;                                                                                                        \
    } while (--k)
#define ROW_SHIFT(apply)                                                                                               \
    do {                                                                                                               \
        moved = *bits * times;                                                                                         \
        ++bits;                                                                                                        \
        apply(*into, (unsigned char)(moved >> 8));                                                                     \
        ++into;                                                                                                        \
        apply(*into, (unsigned char)moved);                                                                            \
    } while (--k)
            if (!shift) {
                BY_MODE(ROW_COPY);
            } else {
                BY_MODE(ROW_SHIFT);
            }
        }
        return;
    }
    for (; row < m; ++row, into += ROW_BYTES) {
        for (k = 0; k < bytes; ++k) {
            /* Byte k lands in the frame's bytes column + k (its left part) and column + k + 1 (its right). */
            const int at = column + k;
            b = *bits++;
            left = 0xFF; /* the cover, until it is moved */
            if (mask)
                left = *mask++;
            if (shift) {
                moved = left * times;
                coverLeft = (unsigned char)(moved >> 8);
                coverRight = (unsigned char)moved;
                moved = b * times;
                left = (unsigned char)(moved >> 8);
                right = (unsigned char)moved;
            } else {
                coverLeft = left;
                left = b;
            }
            if (at == ROW_BYTES - 1) {
                left &= EDGE;
                coverLeft &= EDGE;
            } else if (at + 1 == ROW_BYTES - 1) {
                right &= EDGE;
                coverRight &= EDGE;
            }
            if (at >= 0 && at < ROW_BYTES)
                COMBINE(into + at, left, coverLeft, mask, mode);
            if (shift && at + 1 >= 0 && at + 1 < ROW_BYTES)
                COMBINE(into + at + 1, right, coverRight, mask, mode);
        }
    }
}

#endif

/* A box filled; its parameters and locals on the stack while it runs (TESSALINE_REENTRANT). */
void tessaline_fill(int x, int y, tessaline_size width, tessaline_size height,
                    tessaline_colour mode) TESSALINE_REENTRANT
{
    int right = x + width, below = y + height;
    unsigned char count, bits, row, last;
    unsigned char TESSALINE_XDATA *at;
#if !TESSALINE_DRAW_VERTICAL
    unsigned char first;
#endif
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    if (right > TESSALINE_DRAW_WIDTH)
        right = TESSALINE_DRAW_WIDTH;
    if (below > TESSALINE_DRAW_HEIGHT)
        below = TESSALINE_DRAW_HEIGHT;
    if (x >= right || y >= below)
        return;
    TESSALINE_TOUCHED_ROWS(y, below); /* in place: no call deeper on the stack */
    if (mode == TESSALINE_COPY)
        mode = TESSALINE_SET;
#define BOX_BYTES(apply)                                                                                               \
    do {                                                                                                               \
        apply(*at, bits);                                                                                              \
        ++at;                                                                                                          \
    } while (--count)
#define BOX_RUN() BY_MODE(BOX_BYTES)
#if TESSALINE_DRAW_VERTICAL
    last = (unsigned char)((below - 1) >> 3);
    for (row = (unsigned char)((unsigned char)y >> 3); row <= last; ++row) { /* a page at a time */
        bits = (unsigned char)(0xFF << (row == (unsigned char)((unsigned char)y >> 3) ? (unsigned char)y & 7 : 0));
        if (row == last)
            bits &= (unsigned char)(0xFF >> (7 - ((below - 1) & 7)));
        at = AT(row, (unsigned char)x);
        count = (unsigned char)(right - x);
        BOX_RUN();
    }
#else
    first = (unsigned char)x >> 3;
    last = (unsigned char)((right - 1) >> 3);
    for (row = (unsigned char)y; row < (unsigned char)below; ++row) { /* the frame's padding bits never touched */
        at = tessaline_frame + (unsigned int)row * ROW_BYTES + first;
        bits = (unsigned char)(0xFF >> (x & 7));
        if (last != first) {
            count = 1;
            BOX_RUN();
            bits = 0xFF;
            count = (unsigned char)(last - first - 1);
            if (count)
                BOX_RUN();
        }
        bits &= (unsigned char)(0xFF << (7 - ((right - 1) & 7)));
        count = 1;
        BOX_RUN();
    }
#endif
}

#endif

void tessaline_outline(int x, int y, tessaline_size width, tessaline_size height,
                       tessaline_colour colour) TESSALINE_REENTRANT
{
    if (!width || !height)
        return;
    tessaline_fill(x, y, width, 1, colour);
    if (height > 1)
        tessaline_fill(x, y + height - 1, width, 1, colour);
    if (height > 2) {
        tessaline_fill(x, y + 1, 1, (tessaline_size)(height - 2), colour);
        if (width > 1)
            tessaline_fill(x + width - 1, y + 1, 1, (tessaline_size)(height - 2), colour);
    }
}

/* A glyph's bitmap drawn in the colour: a mono table's in a mono frame as the mode says, into a grey or colour frame
   its 1 bits; a gray4 table's by each pixel's coverage. */
#if TESSALINE_DRAW_BITS == 1
#define GLYPH(bits, width, height, x, y) tessaline_bitmap((bits), 0, (width), (height), (x), (y), colour)
#else
#define GLYPH(data, width, height, x, y)                                                                               \
    do {                                                                                                               \
        if (font->bits == 1)                                                                                           \
            tessaline_mono((data), (width), (height), (x), (y), colour);                                               \
        else                                                                                                           \
            tessaline_grey((data), (width), (height), (x), (y), colour, font->background);                             \
    } while (0)
#endif

int tessaline_glyph(const tessaline_font TESSALINE_CODE *font, unsigned int index, int x, int y,
                    tessaline_colour colour)
{
    const tessaline_box TESSALINE_CODE *box;
    if (index >= font->count)
        return x;
    if (font->boxes) { /* cropped: the box where the font puts it, from the pen and the line's top */
        box = font->boxes + index;
        GLYPH(font->data + font->offsets[index], box->width, box->height, x + box->x, y + box->y);
        return x + box->advance;
    }
    /* a byte by a byte where both are: the 8051 multiplies those in one instruction */
    GLYPH(font->data + (font->bytes < 256 && index < 256 ? (unsigned char)index * (unsigned char)font->bytes
                                                         : index * font->bytes),
          font->width, font->height, x, y);
    return x + (font->widths ? font->widths[index] : font->width);
}

int tessaline_string(const tessaline_font TESSALINE_CODE *font, const unsigned char TESSALINE_CODE *indices, int x,
                     int y, tessaline_colour colour)
{
    for (; *indices < font->count; ++indices)
        x = tessaline_glyph(font, *indices, x, y, colour);
    return x;
}

int tessaline_string16(const tessaline_font TESSALINE_CODE *font, const TESSALINE_WORD TESSALINE_CODE *indices, int x,
                       int y, tessaline_colour colour)
{
    for (; *indices < font->count; ++indices)
        x = tessaline_glyph(font, *indices, x, y, colour);
    return x;
}
