/* unlz4: see unlz4.h. */
#include "unlz4.h"

/* A count continued by bytes of 255, and the byte that ends it. */
#define CONTINUED(length)                                                                                              \
    do {                                                                                                               \
        do {                                                                                                           \
            more = *src++;                                                                                             \
            length += more;                                                                                            \
        } while (more == 255 && length < 0xFE00u);                                                                     \
    } while (0)

#if defined(__SDCC_mcs51)
/* SDCC: the 8051's own instructions, a literal byte in 12 machine cycles and a match's in 11. The block through DPTR
   (the match's source through DPTR too, the block's place kept on the stack meanwhile); the frame through MOVX @R0,
   its page in __XPAGE (P2 unless the firmware names another, as for SDCC's __pdata); the bytes left in r7:r6, a
   length in r4:r3, the token in r2, the offset in r5:r1; where the frame starts, for the offset's check, in
   `begin`. Its internal RAM: `begin` and the two parameters, six bytes. */
static unsigned int begin;
#pragma save
#pragma disable_warning 85
void unlz4(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count)
{
    /* clang-format off */
    __asm
        push    __XPAGE
        mov     r0,dpl
        mov     __XPAGE,dph
        mov     _begin,dpl
        mov     (_begin + 1),dph
        mov     dpl,_unlz4_PARM_2
        mov     dph,(_unlz4_PARM_2 + 1)
        mov     r6,_unlz4_PARM_3
        mov     r7,(_unlz4_PARM_3 + 1)
00100$:
        mov     a,r6
        orl     a,r7
        jnz     00141$
        ljmp    00190$
00141$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r2,a
        swap    a
        anl     a,#0x0F
        lcall   00168$
        mov     a,r3
        orl     a,r4
        jz      00120$
        mov     a,r3
        jz      00110$
        inc     r4
00110$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00111$
        inc     __XPAGE
00111$:
        djnz    r3,00110$
        djnz    r4,00110$
00120$:
        mov     a,r6
        orl     a,r7
        jnz     00142$
        ljmp    00190$
00142$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r1,a
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     r5,a
        orl     a,r1
        jnz     00143$
        ljmp    00190$
00143$:
        clr     c
        mov     a,r0
        subb    a,_begin
        mov     b,a
        mov     a,__XPAGE
        subb    a,(_begin + 1)
        xch     a,b
        clr     c
        subb    a,r1
        mov     a,b
        subb    a,r5
        jnc     00144$
        ljmp    00190$
00144$:
        mov     a,r2
        anl     a,#0x0F
        add     a,#4
        lcall   00169$
        push    dpl
        push    dph
        clr     c
        mov     a,r0
        subb    a,r1
        mov     dpl,a
        mov     a,__XPAGE
        subb    a,r5
        mov     dph,a
        mov     a,r3
        jz      00130$
        inc     r4
00130$:
        movx    a,@dptr
        inc     dptr
        movx    @r0,a
        inc     r0
        cjne    r0,#0,00131$
        inc     __XPAGE
00131$:
        djnz    r3,00130$
        djnz    r4,00130$
        pop     dph
        pop     dpl
        ljmp    00100$
00168$:
        mov     r3,a
        mov     r4,#0
        cjne    a,#15,00175$
        sjmp    00173$
00169$:
        mov     r3,a
        mov     r4,#0
        cjne    a,#19,00175$
00173$:
        clr     a
        movc    a,@a+dptr
        inc     dptr
        mov     b,a
        add     a,r3
        mov     r3,a
        clr     a
        addc    a,r4
        mov     r4,a
        mov     a,b
        cjne    a,#255,00175$
        mov     a,r4
        add     a,#2
        jnc     00173$
00175$:
        clr     c
        mov     a,r6
        subb    a,r3
        mov     a,r7
        subb    a,r4
        jnc     00176$
        mov     a,r6
        mov     r3,a
        mov     a,r7
        mov     r4,a
00176$:
        clr     c
        mov     a,r6
        subb    a,r3
        mov     r6,a
        mov     a,r7
        subb    a,r4
        mov     r7,a
        ret
00190$:
        pop     __XPAGE
    __endasm;
    /* clang-format on */
}
#pragma restore
#else
void unlz4(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count)
{
    unsigned char token, more;
    unsigned int length, offset, made = 0;
    const unsigned char TESSALINE_XDATA *from;
    while (count) {
        token = *src++;
        length = token >> 4; /* the literals */
        if (length == 15)
            CONTINUED(length);
        if (length > count)
            length = count;
        count -= length;
        made += length;
        while (length--)
            *dst++ = *src++;
        if (!count)
            return;
        offset = *src++;
        offset |= (unsigned int)*src++ << 8;
        if (!offset || offset > made) /* damaged: nothing before the frame is read */
            return;
        length = (token & 15) + 4u; /* the match */
        if ((token & 15) == 15)
            CONTINUED(length);
        if (length > count)
            length = count;
        count -= length;
        made += length;
        from = dst - offset;
        while (length--) /* byte by byte: a match may overlap what it makes */
            *dst++ = *from++;
    }
}
#endif
