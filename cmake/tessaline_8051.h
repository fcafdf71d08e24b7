/* tessaline_8051: how the runtime's sources spell the 8051's memory spaces, for SDCC, for the classic 8051
   compilers and for any other (a host's tests), and how a table's frames are packed (its header's NAME_CODEC);
   shared by tessaline_draw.h, unpackbits.h and unlz4.h. */
#ifndef TESSALINE_8051_H
#define TESSALINE_8051_H

/* TESSALINE_REENTRANT: a function whose parameters and locals live on the stack while it runs, not in internal
   RAM of their own for good (the boxes: seldom drawn, and not worth the 8051's scarce internal RAM). */
#if defined(__SDCC)
#define TESSALINE_CODE __code
#define TESSALINE_XDATA __xdata
#define TESSALINE_REENTRANT __reentrant
#elif defined(__C51__) || defined(__CX51__) /* the classic 8051 compilers */
#define TESSALINE_CODE code
#define TESSALINE_XDATA xdata
#define TESSALINE_REENTRANT reentrant
#else /* any other compiler: a host's tests, on --c-dialect c tables */
#define TESSALINE_CODE
#define TESSALINE_XDATA
#define TESSALINE_REENTRANT
#include <stdint.h>
#define TESSALINE_WORD uint16_t
#endif
#ifndef TESSALINE_WORD
#define TESSALINE_WORD unsigned int /* 16 bits on the 8051 */
#endif

/* How a table's frames are packed: its header's NAME_CODEC. */
#define TESSALINE_STORED 0
#define TESSALINE_PACKBITS 1
#define TESSALINE_LZ4 2

#endif
