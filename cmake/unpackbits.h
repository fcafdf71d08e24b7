/* unpackbits: PackBits unpacked on an 8051, for the frames tessaline-cli --compress packbits writes.
   The same source serves SDCC and the classic 8051 compilers' dialect. */
#ifndef TESSALINE_UNPACKBITS_H
#define TESSALINE_UNPACKBITS_H

#ifndef TESSALINE_STORED /* how a table's frames are packed: its header's NAME_CODEC */
#define TESSALINE_STORED 0
#define TESSALINE_PACKBITS 1
#define TESSALINE_LZ4 2
#endif

#ifndef TESSALINE_CODE /* as tessaline_draw.h has them, where it came first */
#if defined(__SDCC)
#define TESSALINE_CODE __code
#define TESSALINE_XDATA __xdata
#elif defined(__C51__) || defined(__CX51__) /* the classic 8051 compilers */
#define TESSALINE_CODE code
#define TESSALINE_XDATA xdata
#else /* any other compiler: a host's tests */
#define TESSALINE_CODE
#define TESSALINE_XDATA
#endif
#endif

/* Unpacks `count` bytes from the packed data at `src` (in code memory) into `dst` (in external RAM): a count
   byte n, then n + 1 bytes as they are (n from 0 to 127), or one byte to repeat 257 - n times (n from 129 to
   255; 128 is skipped). Never writes past dst + count. */
void unpackbits(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count);

#endif
