/* tessaline_draw: a mono frame's bitmaps, included by tessaline_draw.c once for bitmaps in code memory
   (SOURCE TESSALINE_CODE: tessaline_bitmap) and, where the firmware asks for them (XRAM), once for bitmaps in
   external RAM (SOURCE TESSALINE_XDATA: tessaline_xbitmap), each function named by the includer (BITMAP, RUN,
   TWO_PAGES_OF, TWO_BYTES_OF) and kept in internal RAM of its own or on the stack (CALLED: TESSALINE_REENTRANT, for the
   second, seldom drawn, so that it takes none of the 8051's scarce internal RAM for good). No guard: it is meant to be
   included twice. */

#if TESSALINE_DRAW_VERTICAL

/* `count` bytes of a bitmap's page (and of its mask's), each moved down by multiplying it by `times` (a power of
   two), into `top` (what stays in the frame's page) and `bottom` (what passes into the page below); either may be
   null, where that page lies outside the frame. */
static void RUN(const unsigned char SOURCE *bits, const unsigned char SOURCE *mask, unsigned char TESSALINE_XDATA *top,
                unsigned char TESSALINE_XDATA *bottom, tessaline_across count, unsigned char times,
                unsigned char mode) CALLED
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
static void TWO_PAGES_OF(const unsigned char SOURCE *upper, unsigned char TESSALINE_XDATA *top, tessaline_across count,
                         tessaline_across width, unsigned char times, unsigned char mode, unsigned char cut) CALLED
{
    const unsigned char SOURCE *lower = upper + width;
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

void BITMAP(const unsigned char SOURCE *bits, const unsigned char SOURCE *mask, tessaline_size width,
            tessaline_size height, int x, int y, unsigned char mode) CALLED
{
    tessaline_size pages = (tessaline_size)((height + 7) >> 3), first = 0, rest;
    unsigned char times = powers[(unsigned char)y & 7];
    tessaline_across count, column;
    tessaline_down p;
    tessaline_before page;
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
        count = (tessaline_across)width;
        p = (tessaline_down)((unsigned int)y >> 3); /* the frame's page the bitmap's top lies in */
        top = AT(p, (tessaline_across)x);
        if (pages == 2 && p + 1 < PAGES) {
#ifdef TWO_PAGES_SET
            if (mode == TESSALINE_SET) { /* at a multiple of 8 too: each page into one, the third left out */
                TWO_PAGES_SET(bits, top, count, times, (unsigned char)(times == 1 || p + 2 >= PAGES));
                return;
            }
#endif
            if (times > 1) {
                TWO_PAGES_OF(bits, top, count, count, times, mode, p + 2 >= PAGES);
                return;
            }
        }
        do {
            RUN(bits, 0, top, times > 1 && p + 1 < PAGES ? top + TESSALINE_DRAW_WIDTH : 0, count, times, mode);
            bits += count;
            top += TESSALINE_DRAW_WIDTH;
        } while (--pages && ++p < PAGES);
        return;
    }
    if (x >= TESSALINE_DRAW_WIDTH || (x < 0 && 0u - (unsigned int)x >= width) || y >= TESSALINE_DRAW_HEIGHT ||
        (y < 0 && 0u - (unsigned int)y >= height))
        return;
    /* The page the bitmap's top row lies in, above the frame too: y >> 3 rounds down, as both compilers shift a
       negative number. */
    page = (tessaline_before)(y >> 3);
    if (x < 0)
        first = (tessaline_size)(0u - (unsigned int)x);
    column = (tessaline_across)(x + (int)first);
    rest = (tessaline_size)(width - first);
    count = (tessaline_across)(rest > (unsigned int)(TESSALINE_DRAW_WIDTH - column)
                                   ? (unsigned int)(TESSALINE_DRAW_WIDTH - column)
                                   : rest);
    bits += first;
    if (mask)
        mask += first;
    for (; pages; --pages, ++page, bits += width) {
        top = page >= 0 && page < PAGES ? AT(page, column) : 0;
        bottom = times > 1 && page + 1 >= 0 && page + 1 < PAGES ? AT(page + 1, column) : 0;
        if (top || bottom)
            RUN(bits, mask, top, bottom, count, times, mode);
        if (mask)
            mask += width;
    }
}

#else /* rows */

/* `count` rows of a bitmap two bytes wide (a 16-pixel glyph), each byte moved right by multiplying it by `times`,
   into three of the frame's bytes from `into` on: the middle one takes the parts of both, which are disjoint, at
   once. */
static void TWO_BYTES_OF(const unsigned char SOURCE *bits, unsigned char TESSALINE_XDATA *into, tessaline_down count,
                         unsigned char times, unsigned char mode) CALLED
{
    unsigned int left, right;
#define THREE_BYTES(apply)                                                                                             \
    do {                                                                                                               \
        left = *bits * times;                                                                                          \
        ++bits;                                                                                                        \
        right = *bits * times;                                                                                         \
        ++bits;                                                                                                        \
        apply(*into, (unsigned char)(left >> 8));                                                                      \
        ++into;                                                                                                        \
        apply(*into, (unsigned char)left | (unsigned char)(right >> 8));                                               \
        ++into;                                                                                                        \
        apply(*into, (unsigned char)right);                                                                            \
        into += ROW_BYTES - 2;                                                                                         \
    } while (--count)
    BY_MODE(THREE_BYTES);
}

void BITMAP(const unsigned char SOURCE *bits, const unsigned char SOURCE *mask, tessaline_size width,
            tessaline_size height, int x, int y, unsigned char mode) CALLED
{
    tessaline_size bytes = (tessaline_size)((width + 7) >> 3), row, m, k;
    unsigned char shift = (unsigned char)x & 7;
    unsigned char times = powers[(8 - shift) & 7]; /* a byte moved right by `shift`, into two bytes */
    int column =
        (x - shift) >> 3; /* the frame's byte the bitmap's left byte starts in (x - shift is a multiple of 8) */
    unsigned char b, left, right = 0, coverLeft = 0xFF, coverRight = 0xFF;
    tessaline_across across; /* a row's bytes, inside the frame */
    tessaline_down rows;
    unsigned int moved;
    unsigned char TESSALINE_XDATA *into;
    TESSALINE_TOUCHED(y, height);
    if (mode == TESSALINE_COPY && !mask) { /* opaque: the box cleared, then the 1 bits set */
        tessaline_fill(x, y, width, height, TESSALINE_CLEAR);
        mode = TESSALINE_SET;
    }
    if (!width || !height || x >= TESSALINE_DRAW_WIDTH || (x < 0 && 0u - (unsigned int)x >= width) ||
        y >= TESSALINE_DRAW_HEIGHT || (y < 0 && 0u - (unsigned int)y >= height))
        return;
    /* The rows inside the frame, from the first: where it starts in the bitmap, its mask and the frame. */
    row = (tessaline_size)(y < 0 ? 0u - (unsigned int)y : 0);
    m = (tessaline_size)(height > (unsigned int)(TESSALINE_DRAW_HEIGHT - y) ? (unsigned int)(TESSALINE_DRAW_HEIGHT - y)
                                                                            : height);
    if (row) { /* (the 8051 multiplies 16 bits in a call; bytes by bytes in one instruction) */
        bits += row * bytes;
        if (mask)
            mask += row * bytes;
    }
    into = ROW_AT(y + (int)row);
    if (!mask && x >= 0 && (unsigned int)column + bytes + (shift ? 1 : 0) <= TESSALINE_DRAW_WIDTH / 8) {
        into += column;
        rows = (tessaline_down)(m - row); /* the rows left, each mode a loop of its own over all of them */
        if (bytes == 2 && shift) { /* a 16-pixel glyph: three of the frame's bytes a row, the middle written once */
#ifdef TWO_BYTES_SET
            if (mode == TESSALINE_SET) {
                TWO_BYTES_SET(bits, into, rows, times);
                return;
            }
#endif
            TWO_BYTES_OF(bits, into, rows, times, mode);
            return;
        }
        across = (tessaline_across)bytes;
#define ROW_COPY(apply)                                                                                                \
    do {                                                                                                               \
        across = (tessaline_across)bytes;                                                                              \
        do {                                                                                                           \
            apply(*into, *bits);                                                                                       \
            ++into;                                                                                                    \
            ++bits;                                                                                                    \
        } while (--across);                                                                                            \
        into += ROW_BYTES - bytes;                                                                                     \
    } while (--rows)
#define ROW_SHIFT(apply)                                                                                               \
    do {                                                                                                               \
        across = (tessaline_across)bytes;                                                                              \
        do {                                                                                                           \
            moved = *bits * times;                                                                                     \
            ++bits;                                                                                                    \
            apply(*into, (unsigned char)(moved >> 8));                                                                 \
            ++into;                                                                                                    \
            apply(*into, (unsigned char)moved);                                                                        \
        } while (--across);                                                                                            \
        into += ROW_BYTES - bytes;                                                                                     \
    } while (--rows)
        if (!shift)
            BY_MODE(ROW_COPY);
        else
            BY_MODE(ROW_SHIFT);
        return;
    }
    for (; row < m; ++row, into += ROW_BYTES) {
        for (k = 0; k < bytes; ++k) {
            /* Byte k lands in the frame's bytes column + k (its left part) and column + k + 1 (its right). */
            const int at = column + (int)k;
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
#if TESSALINE_DRAW_WIDTH % 8 /* a row's last byte holds padding */
            if (at == ROW_BYTES - 1) {
                left &= EDGE;
                coverLeft &= EDGE;
            } else if (at + 1 == ROW_BYTES - 1) {
                right &= EDGE;
                coverRight &= EDGE;
            }
#endif
            if (at >= 0 && at < ROW_BYTES)
                COMBINE(into + at, left, coverLeft, mask, mode);
            if (shift && at + 1 >= 0 && at + 1 < ROW_BYTES)
                COMBINE(into + at + 1, right, coverRight, mask, mode);
        }
    }
}

#endif
