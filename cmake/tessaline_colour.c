/* tessaline_draw for grey and colour frames (TESSALINE_DRAW_PIXEL other than mono): see tessaline_draw.h.

   The frame is rows of pixels as the converter writes them: gray2 and gray4 four and two pixels a byte, the
   leftmost in the highest bits; gray8 and rgb332 a byte a pixel; rgb565 two bytes, in TESSALINE_DRAW_BYTE_ORDER.
   Whatever is drawn is first cut to the frame (clip), then drawn a row at a time from a cursor: the frame's byte
   of the next pixel and, where a byte holds more than one, the pixel's place in it. */
#include "tessaline_draw.h"

#if TESSALINE_DRAW_BITS > 1

unsigned char TESSALINE_XDATA tessaline_frame[TESSALINE_FRAME_BYTES];
/* A frame past the 8051's 64 KiB of external RAM is refused by the compiler. */
typedef char tessaline_frame_fits[(unsigned long)TESSALINE_ROW_BYTES * TESSALINE_DRAW_HEIGHT <= 65535UL ? 1 : -1];

#define ROW_BYTES TESSALINE_ROW_BYTES
/* The bytes of a row of `width` pixels of the frame's format, and of a mono bitmap's. */
#define BYTES_ACROSS(width) ((width) / 8 * TESSALINE_DRAW_BITS + ((width) % 8 * TESSALINE_DRAW_BITS + 7) / 8)
#define MONO_ACROSS(width) (((width) + 7) / 8)

/* What a drawing draws with, set once a call and shared by all (the 8051's internal RAM is scarce, and its
   drawing functions keep their parameters on the stack). The part of a box inside the frame, as clip() leaves it:
   where it starts in the frame and in the box, and its size. */
static unsigned int TESSALINE_XDATA left, top, skipX, skipY, across, down;

static unsigned char clip(int x, int y, tessaline_size width, tessaline_size height)
{
    if (x >= (int)TESSALINE_DRAW_WIDTH || y >= (int)TESSALINE_DRAW_HEIGHT)
        return 0;
    skipX = x < 0 ? 0u - (unsigned int)x : 0;
    skipY = y < 0 ? 0u - (unsigned int)y : 0;
    if (skipX >= width || skipY >= height)
        return 0;
    left = x < 0 ? 0 : (unsigned int)x;
    top = y < 0 ? 0 : (unsigned int)y;
    across = width - skipX;
    down = height - skipY;
    if (across > TESSALINE_DRAW_WIDTH - left)
        across = TESSALINE_DRAW_WIDTH - left;
    if (down > TESSALINE_DRAW_HEIGHT - top)
        down = TESSALINE_DRAW_HEIGHT - top;
    TESSALINE_TOUCHED_ROWS(top, top + down); /* in place: clip() calls nothing, and keeps no RAM of its own */
    return 1;
}

/* The cursor: the frame's byte of the next pixel and (of less than a byte) the pixel's place in it, 0 the
   leftmost; the source's the same (a bitmap's, a mono bitmap's or a mask's, `bit` its pixel's bit); how many
   pixels the row has left. */
static unsigned char TESSALINE_XDATA *at;
static const unsigned char TESSALINE_CODE *from;
static const unsigned char TESSALINE_CODE *cover;
static unsigned char bit;
static unsigned int count;
/* A row's start in the frame and in the source, and the source's bytes a row. */
static unsigned char TESSALINE_XDATA *rowAt;
static const unsigned char TESSALINE_CODE *rowFrom;
static const unsigned char TESSALINE_CODE *rowCover;
static unsigned int TESSALINE_XDATA fromStep, coverStep;
static unsigned char TESSALINE_XDATA firstBit;
/* The colour drawn, a mono bitmap's key or a gray4 bitmap's background. */
static tessaline_colour colour, key;
static unsigned char background;

#if TESSALINE_DRAW_BITS < 8
#define PIXELS_A_BYTE (8 / TESSALINE_DRAW_BITS)
#define TOP_LEVEL ((1 << TESSALINE_DRAW_BITS) - 1)
#if TESSALINE_DRAW_BITS == 4
static const unsigned char TESSALINE_CODE places[2] = {0xF0, 0x0F};
static const unsigned char TESSALINE_CODE shifts[2] = {4, 0};
#else
static const unsigned char TESSALINE_CODE places[4] = {0xC0, 0x30, 0x0C, 0x03};
static const unsigned char TESSALINE_CODE shifts[4] = {6, 4, 2, 0};
#endif
static unsigned char slot, fromSlot;
static unsigned char TESSALINE_XDATA rowSlot, rowFromSlot;
/* The colour in every place of a byte. */
static unsigned char spread;
#define SPREAD(level) ((unsigned char)((level) * (0xFF / TOP_LEVEL)))
#define PUT_SPREAD(value) (*at = (unsigned char)((*at & ~places[slot]) | ((value)&places[slot])))
#define PUT_COLOUR() PUT_SPREAD(spread)
#define PUT(level) PUT_SPREAD(SPREAD(level))
#define GET() ((unsigned char)((*at & places[slot]) >> shifts[slot]))
#define NEXT()                                                                                                         \
    do {                                                                                                               \
        if (++slot == PIXELS_A_BYTE) {                                                                                 \
            slot = 0;                                                                                                  \
            ++at;                                                                                                      \
        }                                                                                                              \
    } while (0)
#define TAKE() ((unsigned char)((*from & places[fromSlot]) >> shifts[fromSlot]))
#define TAKE_NEXT()                                                                                                    \
    do {                                                                                                               \
        if (++fromSlot == PIXELS_A_BYTE) {                                                                             \
            fromSlot = 0;                                                                                              \
            ++from;                                                                                                    \
        }                                                                                                              \
    } while (0)
#else
#define PIXEL_BYTES (TESSALINE_DRAW_BITS / 8)
#if TESSALINE_DRAW_BITS == 16
#if TESSALINE_DRAW_BYTE_ORDER == TESSALINE_BIG_ENDIAN
#define HIGH 0
#define LOW 1
#else
#define HIGH 1
#define LOW 0
#endif
static unsigned char colourBytes[2]; /* the colour, in the frame's byte order */
#define colourHigh colourBytes[HIGH]
#define colourLow colourBytes[LOW]
#define PUT_COLOUR() (at[0] = colourBytes[0], at[1] = colourBytes[1])
#define PUT(value) (at[HIGH] = (unsigned char)((value) >> 8), at[LOW] = (unsigned char)(value))
#define GET() ((tessaline_colour)((TESSALINE_WORD)at[HIGH] << 8 | at[LOW]))
/* rgb565 bitmaps are in the frame's byte order, as the converter writes --byte-order. */
#define TAKE() ((tessaline_colour)((TESSALINE_WORD)from[HIGH] << 8 | from[LOW]))
#else
#define PUT_COLOUR() (*at = colour)
#define PUT(value) (*at = (unsigned char)(value))
#define GET() (*at)
#define TAKE() (*from)
#endif
#define NEXT() (at += PIXEL_BYTES)
#define TAKE_NEXT() (from += PIXEL_BYTES)
#endif
#define COVER_NEXT()                                                                                                   \
    do {                                                                                                               \
        bit >>= 1;                                                                                                     \
        if (!bit) {                                                                                                    \
            bit = 0x80;                                                                                                \
            ++cover;                                                                                                   \
        }                                                                                                              \
    } while (0)

/* The colour PUT_COLOUR() draws. */
static void choose(tessaline_colour drawn)
{
    colour = drawn;
#if TESSALINE_DRAW_BITS < 8
    spread = SPREAD(drawn);
#elif TESSALINE_DRAW_BITS == 16
    colourHigh = (unsigned char)(drawn >> 8);
    colourLow = (unsigned char)drawn;
#endif
}

#if defined(__SDCC_mcs51)
/* SDCC: the rows that take the time in the 8051's own instructions. The frame's bytes are written through
   MOVX @R0, the high byte of the address in the page register (__XPAGE, P2 unless the firmware names another, as
   for SDCC's __pdata), so that DPTR is left to read the source from code memory. */
#define FAST_ROWS 1
#endif

/* A row of the colour. */
static void paintRow(void)
{
#if TESSALINE_DRAW_BITS < 8
    while (slot && count) {
        PUT_COLOUR();
        NEXT();
        --count;
    }
    for (; count >= PIXELS_A_BYTE; count -= PIXELS_A_BYTE)
        *at++ = spread;
#endif
    for (; count; --count) {
        PUT_COLOUR();
        NEXT();
    }
}

/* A channel `under` with `over` laid on it by a weight of 0 to 16 sixteenths. */
#define MIX(under, over, weight)                                                                                       \
    ((unsigned char)(((unsigned int)((under) * (unsigned char)(16 - (weight))) + (unsigned int)((over) * (weight)) +   \
                      8) >>                                                                                            \
                     4))

/* The frame's pixel under the cursor with the colour laid on it by a coverage of 1 to 15 fifteenths: 15 the
   colour, and below, as a weight of sixteenths (the coverage, one more from 8 on), a channel at a time. */
static void blend(unsigned char coverage)
{
    unsigned char weight = (unsigned char)(coverage + (coverage >> 3));
#if TESSALINE_DRAW_PIXEL == TESSALINE_RGB565
    unsigned char high, low, red, green, blue;
#elif TESSALINE_DRAW_PIXEL == TESSALINE_RGB332
    unsigned char under;
#endif
    if (coverage == 15) {
        PUT_COLOUR();
        return;
    }
#if TESSALINE_DRAW_PIXEL == TESSALINE_RGB565
    high = at[HIGH];
    low = at[LOW];
    red = MIX(high >> 3, colourHigh >> 3, weight);
    green = MIX((unsigned char)((high & 7) << 3 | low >> 5), (unsigned char)((colourHigh & 7) << 3 | colourLow >> 5),
                weight);
    blue = MIX(low & 31, colourLow & 31, weight);
    at[HIGH] = (unsigned char)(red << 3 | green >> 3);
    at[LOW] = (unsigned char)(green << 5 | blue);
#elif TESSALINE_DRAW_PIXEL == TESSALINE_RGB332
    under = GET();
    PUT((unsigned char)(MIX(under >> 5, colour >> 5, weight) << 5 | MIX(under >> 2 & 7, colour >> 2 & 7, weight) << 2 |
                        MIX(under & 3, colour & 3, weight)));
#else
    PUT(MIX(GET(), colour, weight));
#endif
}

/* A pixel of a gray4 bitmap (`cover`, the pixel in the byte's high half where `bit` is 0x80, else in its low)
   laid over the frame by its coverage, its level's distance from the background; the cursor and the source moved
   on. */
static void greyPixel(void)
{
    unsigned char coverage = (unsigned char)((bit & 0x80 ? *cover >> 4 : *cover) & 15) ^ background;
    if (coverage)
        blend(coverage);
    NEXT();
    if (bit & 0x80) {
        bit = 0x08;
    } else {
        bit = 0x80;
        ++cover;
    }
}

#if defined(FAST_ROWS) && (TESSALINE_DRAW_BITS == 16 || TESSALINE_DRAW_BITS == 4)
/* A source byte's two coverages (`pair`, the background taken away) that are neither none nor whole, laid over
   the frame's two pixels from the cursor, which moves past them; whether a row ends in half a pair. */
static unsigned char pair, tail;
static void blendPair(void)
{
    if (pair >> 4)
        blend((unsigned char)(pair >> 4));
    NEXT();
    if (pair & 15)
        blend((unsigned char)(pair & 15));
    NEXT();
}

/* `count` pairs of a gray4 row, aligned with the frame's bytes, a source byte (two pixels) at a time: a pixel
   covered not at all leaves the frame's, one wholly covered takes the colour, and a byte with any other coverage is
   blended by blendPair(). The frame through DPTR (kept in r2 and B while the source is read), the source's address
   in r0 and r1; the colour in r3 (and r4); the background in both halves of r6; the pairs left in r7 and r5. */
static void greyPairs(void)
{
    /* clang-format off */
    __asm
        mov     r0,_cover
        mov     r1,(_cover + 1)
        mov     dpl,_at
        mov     dph,(_at + 1)
        mov     r7,_count
        mov     r5,(_count + 1)
        mov     a,r7
        jz      00029$
        inc     r5
00029$:
        mov     a,_background
        jz      00030$
        mov     a,#0xFF
00030$:
        mov     r6,a
#if TESSALINE_DRAW_BITS == 16
        mov     r3,_colourBytes
        mov     r4,(_colourBytes + 1)
#else
        mov     r3,_spread
#endif
00031$:
        mov     r2,dpl
        mov     b,dph
        mov     dpl,r0
        mov     dph,r1
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r0,dpl
        mov     r1,dph
        mov     dpl,r2
        mov     dph,b
        xrl     a,r6
        jz      00034$
        cjne    a,#0xFF,00032$
#if TESSALINE_DRAW_BITS == 16
        mov     a,r3
        movx    @dptr,a
        inc     dptr
        mov     a,r4
        movx    @dptr,a
        inc     dptr
        mov     a,r3
        movx    @dptr,a
        inc     dptr
        mov     a,r4
        movx    @dptr,a
        inc     dptr
#else
        mov     a,r3
        movx    @dptr,a
        inc     dptr
#endif
        sjmp    00038$
00032$:
        cjne    a,#0xF0,00033$
#if TESSALINE_DRAW_BITS == 16
        mov     a,r3
        movx    @dptr,a
        inc     dptr
        mov     a,r4
        movx    @dptr,a
        inc     dptr
        inc     dptr
        inc     dptr
#else
        mov     a,r3
        anl     a,#0xF0
        mov     b,a
        movx    a,@dptr
        anl     a,#0x0F
        orl     a,b
        movx    @dptr,a
        inc     dptr
#endif
        sjmp    00038$
00033$:
        cjne    a,#0x0F,00035$
#if TESSALINE_DRAW_BITS == 16
        inc     dptr
        inc     dptr
        mov     a,r3
        movx    @dptr,a
        inc     dptr
        mov     a,r4
        movx    @dptr,a
        inc     dptr
#else
        mov     a,r3
        anl     a,#0x0F
        mov     b,a
        movx    a,@dptr
        anl     a,#0xF0
        orl     a,b
        movx    @dptr,a
        inc     dptr
#endif
        sjmp    00038$
00034$:
        inc     dptr
#if TESSALINE_DRAW_BITS == 16
        inc     dptr
        inc     dptr
        inc     dptr
#endif
        sjmp    00038$
00035$:
        mov     _pair,a
        mov     _at,dpl
        mov     (_at + 1),dph
        mov     _cover,r0
        mov     (_cover + 1),r1
        mov     _count,r7
        mov     (_count + 1),r5
        lcall   _blendPair
        mov     r0,_cover
        mov     r1,(_cover + 1)
        mov     r7,_count
        mov     r5,(_count + 1)
        mov     dpl,_at
        mov     dph,(_at + 1)
        mov     a,_background
        jz      00036$
        mov     a,#0xFF
00036$:
        mov     r6,a
#if TESSALINE_DRAW_BITS == 16
        mov     r3,_colourBytes
        mov     r4,(_colourBytes + 1)
#else
        mov     r3,_spread
#endif
00038$:
        djnz    r7,00031$
        djnz    r5,00031$
        mov     _at,dpl
        mov     (_at + 1),dph
        mov     _cover,r0
        mov     (_cover + 1),r1
    __endasm;
    /* clang-format on */
}
#endif

#if defined(FAST_ROWS) && TESSALINE_DRAW_BITS == 4
/* A gray4 bitmap's rows on a gray4 frame, all of them here, a source byte at a time whether it starts at an even
   column (each source byte one of the frame's) or an odd one (the first pixel alone, then each frame byte the
   previous source byte's low half and the next one's high half, put together by XCHD in `joined`): none of a
   pixel leaves the frame's, a whole one takes the colour, and a byte of other coverage is blended by blendPair().
   The source through DPTR (where a row reads all of its bytes, `contiguous`, on into the next row's); the frame through
   MOVX @R0, its page in __XPAGE; the background in both halves of r6; the colour in r3, its high half in r4 and its low
   half in r2; the pairs left in the row in r7. */
static unsigned char pairsPerRow, oddStart, rowsToGo, savedPage, joined, contiguous;
static TESSALINE_WORD frameStep, sourceStep, resume; /* resume: the cursor, while blendPair() moves `at` */
static void greyRows4(void)
{
    /* clang-format off */
    __asm
        mov     _savedPage,__XPAGE
        lcall   00089$
        mov     dpl,_rowCover
        mov     dph,(_rowCover + 1)
00041$:
        mov     r0,_rowAt
        mov     __XPAGE,(_rowAt + 1)
        mov     a,_oddStart
        jz      00050$
        clr     a
        movc    a,@a+dptr
        inc     dptr
        swap    a
        mov     @r1,a
        xrl     a,r6
        anl     a,#0x0F
        lcall   00080$
        mov     a,_pairsPerRow
        jz      00046$
        mov     r7,a
00045$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        swap    a
        xch     a,@r1
        xchd    a,@r1
        xrl     a,r6
        jz      00061$
        cjne    a,#0xFF,00062$
        mov     a,r3
        movx    @r0,a
        sjmp    00061$
00062$:
        cjne    a,#0xF0,00063$
        movx    a,@r0
        anl     a,#0x0F
        orl     a,r4
        movx    @r0,a
        sjmp    00061$
00063$:
        cjne    a,#0x0F,00064$
        movx    a,@r0
        anl     a,#0xF0
        orl     a,r2
        movx    @r0,a
        sjmp    00061$
00064$:
        mov     _pair,a
        mov     _at,r0
        mov     (_at + 1),__XPAGE
        mov     _resume,r0
        mov     (_resume + 1),__XPAGE
        mov     _slot,#0
        mov     _cover,dpl
        mov     (_cover + 1),dph
        mov     _count,r7
        lcall   _blendPair
        mov     dpl,_cover
        mov     dph,(_cover + 1)
        mov     r7,_count
        mov     r0,_resume
        mov     __XPAGE,(_resume + 1)
        lcall   00089$
00061$:
        inc     r0
        cjne    r0,#0,00065$
        inc     __XPAGE
00065$:
        djnz    r7,00045$
00046$:
        mov     a,_tail
        jz      00060$
        mov     a,@r1
        xrl     a,r6
        anl     a,#0xF0
        lcall   00080$
        sjmp    00060$
00050$:
        mov     a,_pairsPerRow
        jz      00052$
        mov     r7,a
00051$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        xrl     a,r6
        jz      00071$
        cjne    a,#0xFF,00072$
        mov     a,r3
        movx    @r0,a
        sjmp    00071$
00072$:
        cjne    a,#0xF0,00073$
        movx    a,@r0
        anl     a,#0x0F
        orl     a,r4
        movx    @r0,a
        sjmp    00071$
00073$:
        cjne    a,#0x0F,00074$
        movx    a,@r0
        anl     a,#0xF0
        orl     a,r2
        movx    @r0,a
        sjmp    00071$
00074$:
        mov     _pair,a
        mov     _at,r0
        mov     (_at + 1),__XPAGE
        mov     _resume,r0
        mov     (_resume + 1),__XPAGE
        mov     _slot,#0
        mov     _cover,dpl
        mov     (_cover + 1),dph
        mov     _count,r7
        lcall   _blendPair
        mov     dpl,_cover
        mov     dph,(_cover + 1)
        mov     r7,_count
        mov     r0,_resume
        mov     __XPAGE,(_resume + 1)
        lcall   00089$
00071$:
        inc     r0
        cjne    r0,#0,00075$
        inc     __XPAGE
00075$:
        djnz    r7,00051$
00052$:
        mov     a,_tail
        jz      00060$
        clr     a
        movc    a,@a+dptr
        inc     dptr
        xrl     a,r6
        anl     a,#0xF0
        lcall   00080$
00060$:
        mov     a,_rowAt
        add     a,_frameStep
        mov     _rowAt,a
        mov     a,(_rowAt + 1)
        addc    a,(_frameStep + 1)
        mov     (_rowAt + 1),a
        mov     a,_contiguous
        jnz     00097$
        mov     a,_rowCover
        add     a,_sourceStep
        mov     _rowCover,a
        mov     dpl,a
        mov     a,(_rowCover + 1)
        addc    a,(_sourceStep + 1)
        mov     (_rowCover + 1),a
        mov     dph,a
00097$:
        djnz    _rowsToGo,00098$
        mov     __XPAGE,_savedPage
        ljmp    00099$
00098$:
        ljmp    00041$
00080$:
        jz      00081$
        cjne    a,#0xFF,00082$
        mov     a,r3
        movx    @r0,a
        sjmp    00081$
00082$:
        cjne    a,#0xF0,00083$
        movx    a,@r0
        anl     a,#0x0F
        orl     a,r4
        movx    @r0,a
        sjmp    00081$
00083$:
        cjne    a,#0x0F,00084$
        movx    a,@r0
        anl     a,#0xF0
        orl     a,r2
        movx    @r0,a
        sjmp    00081$
00084$:
        mov     _pair,a
        mov     _at,r0
        mov     (_at + 1),__XPAGE
        mov     _resume,r0
        mov     (_resume + 1),__XPAGE
        mov     _slot,#0
        mov     _cover,dpl
        mov     (_cover + 1),dph
        mov     _count,r7
        lcall   _blendPair
        mov     dpl,_cover
        mov     dph,(_cover + 1)
        mov     r7,_count
        mov     r0,_resume
        mov     __XPAGE,(_resume + 1)
        lcall   00089$
00081$:
        inc     r0
        cjne    r0,#0,00085$
        inc     __XPAGE
00085$:
        ret
00089$:
        mov     a,_background
        jz      00090$
        mov     a,#0xFF
00090$:
        mov     r6,a
        mov     a,_spread
        mov     r3,a
        anl     a,#0xF0
        mov     r4,a
        mov     a,r3
        anl     a,#0x0F
        mov     r2,a
        mov     r1,#_joined
        ret
00099$:
    __endasm;
    /* clang-format on */
}
#endif

#if defined(FAST_ROWS) && TESSALINE_DRAW_BITS == 4
/* A mono bitmap's rows on a gray4 frame in the colour, all of them here, a pixel at a time from the source byte's
   bit 7 (shifted into the carry): a frame byte's high half, then its low half, from its low half where the frame's
   first pixel is odd. The source through DPTR, its byte in r2 and the bits left of it in r5; the frame through MOVX
   @R0, its page in __XPAGE; the colour in the high half (r3) and in the low half (r4); the pixels left in the row in
   r7 (`pairsPerRow`: at most 255); the bit of the rows' first pixel (firstBit) in r6. Where a row reads all of its
   bytes (`contiguous`), the source goes on into the next row's without being set again. */
static void monoRows4(void)
{
    /* clang-format off */
    __asm
        mov     _savedPage,__XPAGE
        mov     dptr,#_firstBit
        movx    a,@dptr
        mov     r6,a
        mov     a,_spread
        anl     a,#0xF0
        mov     r3,a
        mov     a,_spread
        anl     a,#0x0F
        mov     r4,a
        mov     dpl,_rowCover
        mov     dph,(_rowCover + 1)
00141$:
        mov     r0,_rowAt
        mov     __XPAGE,(_rowAt + 1)
        mov     r7,_pairsPerRow
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r2,a
        mov     r5,#8
        mov     a,r6
00142$:
        jb      acc.7,00143$
        rl      a
        xch     a,r2
        add     a,acc
        xch     a,r2
        dec     r5
        sjmp    00142$
00143$:
        mov     a,_oddStart
        jnz     00150$
00144$:
        mov     a,r2
        add     a,acc
        mov     r2,a
        jnc     00145$
        movx    a,@r0
        anl     a,#0x0F
        orl     a,r3
        movx    @r0,a
00145$:
        djnz    r7,00146$
        sjmp    00160$
00146$:
        djnz    r5,00150$
        mov     r5,#8
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r2,a
00150$:
        mov     a,r2
        add     a,acc
        mov     r2,a
        jnc     00151$
        movx    a,@r0
        anl     a,#0xF0
        orl     a,r4
        movx    @r0,a
00151$:
        inc     r0
        cjne    r0,#0,00152$
        inc     __XPAGE
00152$:
        djnz    r7,00153$
        sjmp    00160$
00153$:
        djnz    r5,00144$
        mov     r5,#8
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r2,a
        sjmp    00144$
00160$:
        mov     a,_rowAt
        add     a,_frameStep
        mov     _rowAt,a
        mov     a,(_rowAt + 1)
        addc    a,(_frameStep + 1)
        mov     (_rowAt + 1),a
        mov     a,_contiguous
        jnz     00163$
        mov     a,_rowCover
        add     a,_sourceStep
        mov     _rowCover,a
        mov     dpl,a
        mov     a,(_rowCover + 1)
        addc    a,(_sourceStep + 1)
        mov     (_rowCover + 1),a
        mov     dph,a
00163$:
        djnz    _rowsToGo,00161$
        mov     __XPAGE,_savedPage
        sjmp    00162$
00161$:
        ljmp    00141$
00162$:
    __endasm;
    /* clang-format on */
}
#endif

/* A row of a gray4 bitmap laid over the frame in the colour. */
static void greyRow(void)
{
#if defined(FAST_ROWS) && (TESSALINE_DRAW_BITS == 16 || TESSALINE_DRAW_BITS == 4)
    if (bit != 0x80) { /* a row that starts in a byte's low half */
        greyPixel();
        --count;
    }
#if TESSALINE_DRAW_BITS == 4
    if (slot) { /* the pixel pairs straddle the frame's bytes */
        for (; count; --count)
            greyPixel();
        return;
    }
#endif
    tail = (unsigned char)(count & 1);
    count >>= 1;
    if (count)
        greyPairs();
    if (tail)
        greyPixel();
#else
    for (; count; --count)
        greyPixel();
#endif
}

#define PAINT 0
#define COPY 1
#define FLIP 2
#define MASK 3
#define KEY 4
#define MONO 5
#define GREY 6

/* The rows left, and what draws them, kept where no call disturbs them. */
static unsigned int rowsLeft;
static unsigned char kindOfRow;

#define SOURCE TESSALINE_CODE
#include "tessaline_colour_rows.h"

void tessaline_fill(int x, int y, tessaline_size width, tessaline_size height,
                    tessaline_colour drawn) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    choose(drawn);
    start(0, 0, width);
    rows(PAINT);
}

void tessaline_bitmap(const unsigned char TESSALINE_CODE *bits, const unsigned char TESSALINE_CODE *mask,
                      tessaline_size width, tessaline_size height, int x, int y, unsigned char mode) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    start(bits, mask, width);
    rows(mask ? MASK : mode == TESSALINE_XOR ? FLIP : COPY);
}

void tessaline_keyed(const unsigned char TESSALINE_CODE *bits, tessaline_size width, tessaline_size height, int x,
                     int y, tessaline_colour transparent) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    key = transparent;
    start(bits, 0, width);
    rows(KEY);
}

void tessaline_mono(const unsigned char TESSALINE_CODE *bits, tessaline_size width, tessaline_size height, int x, int y,
                    tessaline_colour drawn) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    choose(drawn);
    start(0, bits, width);
#if defined(FAST_ROWS) && TESSALINE_DRAW_BITS == 4
    if (across < 256 && down < 256) { /* a glyph's, an icon's: all its rows in the 8051's own instructions */
        oddStart = rowSlot;
        pairsPerRow = (unsigned char)across;
        rowsToGo = (unsigned char)down;
        frameStep = ROW_BYTES;
        sourceStep = coverStep;
        /* a row read whole, from a byte's first bit, leaves the source at the next row's first byte */
        contiguous = (unsigned char)(across == width && !(skipX & 7));
        monoRows4();
        return;
    }
#endif
    rows(MONO);
}

void tessaline_grey(const unsigned char TESSALINE_CODE *bits, tessaline_size width, tessaline_size height, int x, int y,
                    tessaline_colour drawn, unsigned char none) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    choose(drawn);
    background = none;
    /* two pixels a byte: as a mono bitmap's bits, each pixel's bit the high one of its half (0x80 or 0x08) */
    start(0, 0, width);
    coverStep = ((unsigned int)width + 1) / 2;
    rowCover = bits + (skipY ? coverStep * skipY : 0) + skipX / 2; /* the 8051 multiplies 16 bits in a call */
    firstBit = skipX % 2 ? 0x08 : 0x80;
#if defined(FAST_ROWS) && TESSALINE_DRAW_BITS == 4
    if (firstBit == 0x80 && down < 256 && across < 512) { /* all but a bitmap cut at an odd pixel, or a huge one */
        oddStart = rowSlot;
        pairsPerRow = (unsigned char)((across - oddStart) >> 1);
        tail = (unsigned char)((across - oddStart) & 1);
        rowsToGo = (unsigned char)down;
        contiguous = across == width; /* no column cut away: a row reads its bytes, all of them */
        frameStep = ROW_BYTES;
        sourceStep = coverStep;
        greyRows4();
        return;
    }
#endif
    rows(GREY);
}

#ifdef TESSALINE_DRAW_XRAM
/* The same rows from external RAM: a frame unpackbits() unpacked, say. */
#undef SOURCE
#undef FAST_ROWS
#define SOURCE TESSALINE_XDATA
#define FROM_XRAM 1
#define from xramFrom
#define cover xramCover
#define rowFrom xramRowFrom
#define rowCover xramRowCover
#define start startFromXram
#define copyRow copyRowFromXram
#define xorRow xorRowFromXram
#define maskRow maskRowFromXram
#define monoRow monoRowFromXram
#define rows rowsFromXram
static const unsigned char TESSALINE_XDATA *from;
static const unsigned char TESSALINE_XDATA *cover;
static const unsigned char TESSALINE_XDATA *rowFrom;
static const unsigned char TESSALINE_XDATA *rowCover;
#include "tessaline_colour_rows.h"

void tessaline_xbitmap(const unsigned char TESSALINE_XDATA *bits, const unsigned char TESSALINE_XDATA *mask,
                       tessaline_size width, tessaline_size height, int x, int y,
                       unsigned char mode) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    start(bits, mask, width);
    rows(mask ? MASK : mode == TESSALINE_XOR ? FLIP : COPY);
}

void tessaline_xmono(const unsigned char TESSALINE_XDATA *bits, tessaline_size width, tessaline_size height, int x,
                     int y, tessaline_colour drawn) TESSALINE_REENTRANT
{
    if (!clip(x, y, width, height))
        return;
    choose(drawn);
    start(0, bits, width);
#if defined(FAST_ROWS) && TESSALINE_DRAW_BITS == 4
    if (across < 256 && down < 256) { /* a glyph's, an icon's: all its rows in the 8051's own instructions */
        oddStart = rowSlot;
        pairsPerRow = (unsigned char)across;
        rowsToGo = (unsigned char)down;
        frameStep = ROW_BYTES;
        sourceStep = coverStep;
        /* a row read whole, from a byte's first bit, leaves the source at the next row's first byte */
        contiguous = (unsigned char)(across == width && !(skipX & 7));
        monoRows4();
        return;
    }
#endif
    rows(MONO);
}
#endif

#else
typedef char tessaline_no_colour; /* a mono frame: all of it in tessaline_draw.c */
#endif
