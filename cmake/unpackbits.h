/* unpackbits: PackBits unpacked on an 8051, for the frames tessaline-cli --compress packbits writes.
   The same source serves SDCC and the classic 8051 compilers' dialect. */
#ifndef TESSALINE_UNPACKBITS_H
#define TESSALINE_UNPACKBITS_H

#include "tessaline_8051.h"

/* Unpacks `count` bytes from the packed data at `src` (in code memory) into `dst` (in external RAM): a count
   byte n, then n + 1 bytes as they are (n from 0 to 127), or one byte to repeat 257 - n times (n from 129 to
   255; 128 is skipped). Never writes past dst + count. */
void unpackbits(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count);

#endif
