/* tessaline_draw: a grey or colour frame's rows from a source, included by tessaline_colour.c once for sources in
   code memory (SOURCE TESSALINE_CODE, with SDCC's assembler where it has some) and, where the firmware asks for them
   (XRAM), once for sources in external RAM (SOURCE TESSALINE_XDATA, FROM_XRAM: the same rows in C, their names and
   their source's pointers renamed by the includer). No guard: it is meant to be included twice. */

/* The rows start at the clip's first pixel in the frame, in a bitmap of the frame's format (`bits`, or none) and
   in a mono mask or bitmap (`mono`, or none), both of the box's width. */
static void start(const unsigned char SOURCE *bits, const unsigned char SOURCE *mono, tessaline_size width)
{
    unsigned int step = (unsigned int)BYTES_ACROSS(width);
#if TESSALINE_DRAW_BITS < 8
    rowAt = tessaline_frame + top * ROW_BYTES + left / PIXELS_A_BYTE;
    rowSlot = (unsigned char)(left % PIXELS_A_BYTE);
    rowFromSlot = (unsigned char)(skipX % PIXELS_A_BYTE);
    rowFrom = bits ? bits + step * skipY + skipX / PIXELS_A_BYTE : 0;
#else
    rowAt = tessaline_frame + top * ROW_BYTES + left * PIXEL_BYTES;
    rowFrom = bits ? bits + step * skipY + skipX * PIXEL_BYTES : 0;
#endif
    fromStep = bits ? step : 0;
    coverStep = mono ? (unsigned int)MONO_ACROSS(width) : 0;
    rowCover = mono ? mono + coverStep * skipY + skipX / 8 : 0;
    firstBit = (unsigned char)(0x80 >> (skipX % 8));
}

#if TESSALINE_DRAW_BITS >= 8 && defined(FAST_ROWS)
/* `count` bytes copied from the source to the frame, 7 instructions a byte: read, write, and the page's end. */
static void copyBytes(void)
{
    /* clang-format off */
    __asm
        mov     dpl,_from
        mov     dph,(_from + 1)
        mov     r0,_at
        mov     r5,__XPAGE
        mov     __XPAGE,(_at + 1)
        mov     r7,_count
        mov     r6,(_count + 1)
        mov     a,r7
        jz      00010$
        inc     r6
00010$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00011$
        inc     __XPAGE
00011$:
        djnz    r7,00010$
        djnz    r6,00010$
        mov     __XPAGE,r5
    __endasm;
    /* clang-format on */
}
#endif

/* A row of a bitmap of the frame's format copied. */
static void copyRow(void)
{
#if TESSALINE_DRAW_BITS >= 8 && defined(FAST_ROWS)
    count *= PIXEL_BYTES;
    copyBytes();
#elif TESSALINE_DRAW_BITS >= 8
    count *= PIXEL_BYTES;
    do {
        *at = *from;
        ++at;
        ++from;
    } while (--count);
#else
    if (slot == fromSlot) { /* the same place in a byte: whole bytes between the two ends */
        while (slot && count) {
            PUT(TAKE());
            NEXT();
            TAKE_NEXT();
            --count;
        }
        for (; count >= PIXELS_A_BYTE; count -= PIXELS_A_BYTE)
            *at++ = *from++;
    }
    for (; count; --count) {
        PUT(TAKE());
        NEXT();
        TAKE_NEXT();
    }
#endif
}

/* A row of a bitmap of the frame's format: flipping the frame's bits, where a mask covers it, or where it is not
   the key. */
static void xorRow(void)
{
    for (; count; --count) {
#if TESSALINE_DRAW_BITS < 8
        PUT(GET() ^ TAKE());
#elif TESSALINE_DRAW_BITS == 16
        at[0] ^= from[0];
        at[1] ^= from[1];
#else
        *at ^= *from;
#endif
        NEXT();
        TAKE_NEXT();
    }
}

static void maskRow(void)
{
    for (; count; --count) {
        if (*cover & bit)
            PUT(TAKE());
        NEXT();
        TAKE_NEXT();
        COVER_NEXT();
    }
}

#ifndef FROM_XRAM
static void keyRow(void)
{
    tessaline_colour value;
    for (; count; --count) {
        value = TAKE();
        if (value != key)
            PUT(value);
        NEXT();
        TAKE_NEXT();
    }
}
#endif

/* A row of a mono bitmap (`cover`, from `bit`) in the colour. */
static void monoRow(void)
{
#if TESSALINE_DRAW_BITS == 16 && defined(FAST_ROWS) /* its body assembler alone */
    /* The source's byte in r2, shifted left a pixel at a time into the carry, r6 its bits left; the frame through
       DPTR, the source's address kept in r0 and r1 while it is; the colour's bytes in r3 and r4; the pixels left in
       r7 and r5. */
    /* clang-format off */
    __asm
        mov     dpl,_cover
        mov     dph,(_cover + 1)
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r0,dpl
        mov     r1,dph
        mov     r2,a
        mov     r6,#8
        mov     a,_bit
00020$:
        jb      acc.7,00021$
        rl      a
        xch     a,r2
        add     a,acc
        xch     a,r2
        dec     r6
        sjmp    00020$
00021$:
        mov     dpl,_at
        mov     dph,(_at + 1)
        mov     r3,_colourBytes
        mov     r4,(_colourBytes + 1)
        mov     r7,_count
        mov     r5,(_count + 1)
        mov     a,r7
        jz      00022$
        inc     r5
00022$:
        mov     a,r2
        add     a,acc
        mov     r2,a
        jnc     00023$
        mov     a,r3
        movx    @dptr,a
        inc     dptr
        mov     a,r4
        movx    @dptr,a
        inc     dptr
        sjmp    00024$
00023$:
        inc     dptr
        inc     dptr
00024$:
        djnz    r7,00025$
        djnz    r5,00025$
        sjmp    00026$
00025$:
        djnz    r6,00022$
        mov     r6,#8
        push    dpl
        push    dph
        mov     dpl,r0
        mov     dph,r1
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r0,dpl
        mov     r1,dph
        mov     r2,a
        pop     dph
        pop     dpl
        sjmp    00022$
00026$:
    __endasm;
    /* clang-format on */
#else
    for (; count; --count) {
        if (*cover & bit)
            PUT_COLOUR();
        NEXT();
        COVER_NEXT();
    }
#endif
}

/* The clip's rows, each by the row function of `kind`. */
static void rows(unsigned char kind)
{
    kindOfRow = kind;
    for (rowsLeft = down; rowsLeft; --rowsLeft) {
        at = rowAt;
        from = rowFrom;
        cover = rowCover;
        bit = firstBit;
        count = across;
#if TESSALINE_DRAW_BITS < 8
        slot = rowSlot;
        fromSlot = rowFromSlot;
#endif
#ifndef FROM_XRAM
        if (kindOfRow == GREY)
            greyRow();
        else
#endif
            if (kindOfRow == MONO)
            monoRow();
        else if (kindOfRow == COPY)
            copyRow();
#ifndef FROM_XRAM
        else if (kindOfRow == PAINT)
            paintRow();
        else if (kindOfRow == KEY)
            keyRow();
#endif
        else if (kindOfRow == FLIP)
            xorRow();
        else
            maskRow();
        rowAt += ROW_BYTES;
        rowFrom += fromStep;
        rowCover += coverStep;
    }
}
