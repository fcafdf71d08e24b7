/* unlz4: an LZ4 block unpacked on an 8051, for the frames tessaline-cli --compress lz writes. The same source serves
   SDCC and the classic 8051 compilers' dialect. */
#ifndef TESSALINE_UNLZ4_H
#define TESSALINE_UNLZ4_H

#include "tessaline_8051.h"

/* Unpacks `count` bytes from the LZ4 block at `src` (in code memory) into `dst` (in external RAM): sequences of a
   token (its high half the literals' count, its low half the match's length less 4, either continued by bytes
   while they are 255), the literals, and the match's offset back into what is unpacked (two bytes, the low one
   first). Never writes past dst + count, and stops at an offset of 0 or one before dst: a damaged block leaves
   the rest as it was. */
void unlz4(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count);

#endif
