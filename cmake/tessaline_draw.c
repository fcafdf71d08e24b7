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

/* A count of the frame's columns, and of its rows or pages: a byte, which the 8051 counts fastest, where the
   frame is at most 255 pixels that way. */
#if TESSALINE_DRAW_WIDTH > 255
typedef unsigned int tessaline_across;
#else
typedef unsigned char tessaline_across;
#endif
#if TESSALINE_DRAW_HEIGHT > 255
typedef unsigned int tessaline_down;
#else
typedef unsigned char tessaline_down;
#endif
/* A page or a byte's place that may lie before the frame's: by a bitmap's size at most. */
#if TESSALINE_DRAW_WIDTH > 255 || TESSALINE_DRAW_HEIGHT > 255
typedef int tessaline_before;
#else
typedef signed char tessaline_before;
#endif

#if TESSALINE_DRAW_VERTICAL
#define PAGES ((TESSALINE_DRAW_HEIGHT + 7) / 8)
/* The frame's byte of column `column` in page `page` (both within the frame). A KS0108's frame is the same: a
   page across the module's 128 columns, the left controller's 64 first, as the converter writes its data. A byte
   by a byte where both are: the 8051 multiplies those in one instruction. */
#if TESSALINE_DRAW_WIDTH > 255 || PAGES > 255
#define AT(page, column) (tessaline_frame + (unsigned int)(page)*TESSALINE_DRAW_WIDTH + (column))
#else
#define AT(page, column) (tessaline_frame + (unsigned char)(page) * (unsigned char)TESSALINE_DRAW_WIDTH + (column))
#endif
#else
#define ROW_BYTES ((TESSALINE_DRAW_WIDTH + 7) / 8)
/* The frame's first byte of row `row` (within the frame). */
#if TESSALINE_DRAW_HEIGHT > 255 || ROW_BYTES > 255
#define ROW_AT(row) (tessaline_frame + (unsigned int)(row)*ROW_BYTES)
#else
#define ROW_AT(row) (tessaline_frame + (unsigned char)(row) * (unsigned char)ROW_BYTES)
#endif
/* The pixels of a row's last byte that lie inside the frame: its padding bits are never drawn, as --render and
   the converter leave them. */
#define EDGE ((unsigned char)(0xFF00u >> (TESSALINE_DRAW_WIDTH % 8 ? TESSALINE_DRAW_WIDTH % 8 : 8)))
#endif

#if defined(__SDCC_mcs51) && TESSALINE_DRAW_VERTICAL && TESSALINE_DRAW_WIDTH <= 255
/* SDCC: a glyph of two pages (up to 16 rows) set into a frame of pages at a row that is not a multiple of 8, in
   the 8051's own instructions: its `count` columns, each byte moved down by MUL AB (`times`), into three of the
   frame's pages from `top`, a page at a time (the middle one taking both of the glyph's pages at once; the third
   left out where `cut`, past the frame's last page). The glyph through DPTR, its lower page `count` bytes on
   (MOVC A,@A+DPTR); the frame through MOVX @R0, its page in __XPAGE (P2 unless the firmware names another), each
   page's run in a loop that carries into the next page of external RAM only where the run crosses one. */
#pragma save
#pragma disable_warning 85
static void twoPagesSet(const unsigned char TESSALINE_CODE *upper, unsigned char TESSALINE_XDATA *top,
                        unsigned char count, unsigned char times, unsigned char cut)
{
    /* clang-format off */
    __asm
        push    __XPAGE
        mov     r5,_twoPagesSet_PARM_4
        mov     r4,_twoPagesSet_PARM_3
        mov     r6,dpl
        mov     r2,dph
        mov     r0,_twoPagesSet_PARM_2
        mov     __XPAGE,(_twoPagesSet_PARM_2 + 1)
        mov     r7,_twoPagesSet_PARM_3
        mov     a,r0
        add     a,r7
        jc      00020$
00030$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        mov     r3,a
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        djnz    r7,00030$
        sjmp    00027$
00020$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        mov     r3,a
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00021$
        inc     __XPAGE
00021$:
        djnz    r7,00020$
00027$:
        mov     dpl,r6
        mov     dph,r2
        mov     a,_twoPagesSet_PARM_2
        add     a,#<(TESSALINE_DRAW_WIDTH)
        mov     r0,a
        mov     a,(_twoPagesSet_PARM_2 + 1)
        addc    a,#>(TESSALINE_DRAW_WIDTH)
        mov     __XPAGE,a
        mov     r7,_twoPagesSet_PARM_3
        mov     a,r0
        add     a,r7
        jc      00022$
00031$:
        clr     a
        movc    a,@a+dptr
        mov     b,r5
        mul     ab
        mov     r3,b
        mov     a,r4
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        orl     a,r3
        mov     r3,a
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        djnz    r7,00031$
        sjmp    00028$
00022$:
        clr     a
        movc    a,@a+dptr
        mov     b,r5
        mul     ab
        mov     r3,b
        mov     a,r4
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        orl     a,r3
        mov     r3,a
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00023$
        inc     __XPAGE
00023$:
        djnz    r7,00022$
00028$:
        mov     dpl,r6
        mov     dph,r2
        mov     a,_twoPagesSet_PARM_5
        jnz     00026$
        mov     a,_twoPagesSet_PARM_2
        add     a,#<(2 * TESSALINE_DRAW_WIDTH)
        mov     r0,a
        mov     a,(_twoPagesSet_PARM_2 + 1)
        addc    a,#>(2 * TESSALINE_DRAW_WIDTH)
        mov     __XPAGE,a
        mov     r7,_twoPagesSet_PARM_3
        mov     a,r0
        add     a,r7
        jc      00024$
00032$:
        mov     a,r4
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        mov     r3,b
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        djnz    r7,00032$
        sjmp    00026$
00024$:
        mov     a,r4
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        mov     r3,b
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00025$
        inc     __XPAGE
00025$:
        djnz    r7,00024$
00026$:
        pop     __XPAGE
    __endasm;
    /* clang-format on */
}
#pragma restore
#define TWO_PAGES_SET twoPagesSet
#endif

#if defined(__SDCC_mcs51) && !TESSALINE_DRAW_VERTICAL && TESSALINE_DRAW_WIDTH <= 255 && TESSALINE_DRAW_HEIGHT <= 255
/* SDCC: `count` rows of a 16-pixel glyph set into a frame of rows at a column that is not a multiple of 8, in the
   8051's own instructions (a third of what SDCC makes of the loop in C): each of a row's two bytes moved right by
   MUL AB (`times`), into three of the frame's bytes, the middle one taking both parts at once. The glyph through
   DPTR; the frame through MOVX @R0, its page in __XPAGE (P2 unless the firmware names another, as for SDCC's
   __pdata). */
#pragma save
#pragma disable_warning 85
static void twoBytesSet(const unsigned char TESSALINE_CODE *bits, unsigned char TESSALINE_XDATA *into,
                        unsigned char count, unsigned char times)
{
    /* clang-format off */
    __asm
        mov     r0,_twoBytesSet_PARM_2
        mov     r6,__XPAGE
        mov     __XPAGE,(_twoBytesSet_PARM_2 + 1)
        mov     r7,_twoBytesSet_PARM_3
        mov     r5,_twoBytesSet_PARM_4
00010$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        mov     r2,a
        mov     r3,b
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00011$
        inc     __XPAGE
00011$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     b,r5
        mul     ab
        mov     r4,a
        mov     a,b
        orl     a,r2
        mov     r3,a
        movx    a,@r0
        orl     a,r3
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00012$
        inc     __XPAGE
00012$:
        movx    a,@r0
        orl     a,r4
        movx    @r0,a
        mov     a,r0
        add     a,#(ROW_BYTES - 2)
        mov     r0,a
        jnc     00013$
        inc     __XPAGE
00013$:
        djnz    r7,00010$
        mov     __XPAGE,r6
    __endasm;
    /* clang-format on */
}
#pragma restore
#define TWO_BYTES_SET twoBytesSet
#endif

/* Bitmaps in code memory; and in external RAM, where the firmware asks for them. */
#define SOURCE TESSALINE_CODE
#define BITMAP tessaline_bitmap
#define RUN run
#define TWO_PAGES_OF twoPages
#define TWO_BYTES_OF twoBytes
#define CALLED
#include "tessaline_bitmap.h"
#ifdef TESSALINE_DRAW_XRAM
#undef SOURCE
#undef BITMAP
#undef RUN
#undef TWO_PAGES_OF
#undef TWO_BYTES_OF
#undef TWO_BYTES_SET
#undef TWO_PAGES_SET
#undef CALLED
#define CALLED TESSALINE_REENTRANT
#define SOURCE TESSALINE_XDATA
#define BITMAP tessaline_xbitmap
#define RUN runFromXram
#define TWO_PAGES_OF twoPagesFromXram
#define TWO_BYTES_OF twoBytesFromXram
#include "tessaline_bitmap.h"
#endif

/* A box filled; its parameters and locals on the stack while it runs (TESSALINE_REENTRANT). */
void tessaline_fill(int x, int y, tessaline_size width, tessaline_size height,
                    tessaline_colour mode) TESSALINE_REENTRANT
{
    unsigned int right, below;
    tessaline_across count;
    tessaline_down row;
    unsigned char bits;
    unsigned char TESSALINE_XDATA *at;
#if TESSALINE_DRAW_VERTICAL
    tessaline_down last;
#else
    tessaline_across first, last;
#endif
    if (x >= TESSALINE_DRAW_WIDTH || y >= TESSALINE_DRAW_HEIGHT)
        return;
    if (x < 0) { /* the part inside the frame */
        if (0u - (unsigned int)x >= width)
            return;
        width -= 0u - (unsigned int)x;
        x = 0;
    }
    if (y < 0) {
        if (0u - (unsigned int)y >= height)
            return;
        height -= 0u - (unsigned int)y;
        y = 0;
    }
    if (!width || !height)
        return;
    right = width > (unsigned int)(TESSALINE_DRAW_WIDTH - x) ? TESSALINE_DRAW_WIDTH : (unsigned int)x + width;
    below = height > (unsigned int)(TESSALINE_DRAW_HEIGHT - y) ? TESSALINE_DRAW_HEIGHT : (unsigned int)y + height;
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
    last = (tessaline_down)((below - 1) >> 3);
    for (row = (tessaline_down)((unsigned int)y >> 3); row <= last; ++row) { /* a page at a time */
        bits = (unsigned char)(0xFF << (row == (unsigned int)y >> 3 ? (unsigned char)y & 7 : 0));
        if (row == last)
            bits &= (unsigned char)(0xFF >> (7 - ((below - 1) & 7)));
        at = AT(row, (tessaline_across)x);
        count = (tessaline_across)(right - (unsigned int)x);
        BOX_RUN();
    }
#else
    first = (tessaline_across)((unsigned int)x >> 3);
    last = (tessaline_across)((right - 1) >> 3);
    for (row = (tessaline_down)y; row < below; ++row) { /* the frame's padding bits never touched */
        at = ROW_AT(row) + first;
        bits = (unsigned char)(0xFF >> (x & 7));
        if (last != first) {
            count = 1;
            BOX_RUN();
            bits = 0xFF;
            count = (tessaline_across)(last - first - 1);
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
                     int y, tessaline_colour colour) TESSALINE_FRAME_CALL
{
    for (; *indices < font->count; ++indices)
        x = tessaline_glyph(font, *indices, x, y, colour);
    return x;
}

int tessaline_string16(const tessaline_font TESSALINE_CODE *font, const TESSALINE_WORD TESSALINE_CODE *indices, int x,
                       int y, tessaline_colour colour) TESSALINE_FRAME_CALL
{
    for (; *indices < font->count; ++indices)
        x = tessaline_glyph(font, *indices, x, y, colour);
    return x;
}
