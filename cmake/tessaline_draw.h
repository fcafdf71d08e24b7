/* tessaline_draw: bitmaps, glyphs and strings drawn into a frame buffer on an 8051, for the data tessaline-cli
   writes. The same source serves SDCC and the classic 8051 compilers' dialect; tessaline_add_draw() in the CMake
   module adds it to a target and sets the frame:
     TESSALINE_DRAW_WIDTH, TESSALINE_DRAW_HEIGHT   the frame's pixels (default 128 x 64)
     TESSALINE_DRAW_VERTICAL   1: pages, a byte a column of 8 rows, bit 0 on top (SSD1306, ST7565, KS0108);
                               0: rows, 8 pixels a byte, the leftmost in bit 7 (the converter's default)
     TESSALINE_DRAW_KS0108     1 (pages, 128 wide): a KS0108 module's frame; its layout is the pages' as the
                               converter writes --display ks0108 (a page across all 128 columns, the left
                               controller's 64 first), each controller's half sent to it by its chip select
   Bitmaps and glyphs are in the same layout as the frame (--layout vertical for pages); anything may be drawn
   at any (x, y), negative or past the frame's edges: what falls outside is left out. */
#ifndef TESSALINE_DRAW_H
#define TESSALINE_DRAW_H

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

#ifndef TESSALINE_DRAW_WIDTH
#define TESSALINE_DRAW_WIDTH 128
#endif
#ifndef TESSALINE_DRAW_HEIGHT
#define TESSALINE_DRAW_HEIGHT 64
#endif
#ifndef TESSALINE_DRAW_VERTICAL
#define TESSALINE_DRAW_VERTICAL 1
#endif
#ifndef TESSALINE_DRAW_KS0108
#define TESSALINE_DRAW_KS0108 0
#endif

#if TESSALINE_DRAW_VERTICAL
#define TESSALINE_FRAME_BYTES ((unsigned int)TESSALINE_DRAW_WIDTH * ((TESSALINE_DRAW_HEIGHT + 7) / 8))
#else
#define TESSALINE_FRAME_BYTES ((unsigned int)(TESSALINE_DRAW_WIDTH + 7) / 8 * TESSALINE_DRAW_HEIGHT)
#endif

/* The frame: 1 bits are the pixels drawn (lit on an OLED, dark on an LCD). */
extern unsigned char TESSALINE_XDATA tessaline_frame[TESSALINE_FRAME_BYTES];

/* How a bitmap's 1 bits change the frame: set them, clear them, or flip them; or, TESSALINE_COPY, the bitmap
   drawn opaque: its 1 bits set and its 0 bits cleared (the box cleared, then the 1 bits set). */
#define TESSALINE_SET 0
#define TESSALINE_CLEAR 1
#define TESSALINE_XOR 2
#define TESSALINE_COPY 3

/* Draws a bitmap of `width` x `height` pixels, its top left pixel at (x, y). With a `mask` (--mask, the same
   size and layout), each pixel where the mask is 1 takes the bitmap's value and the rest stay as they are
   (`mode` is not used); without one (null), `mode` says what the bitmap's 1 bits do. */
void tessaline_bitmap(const unsigned char TESSALINE_CODE *bits, const unsigned char TESSALINE_CODE *mask,
                      unsigned char width, unsigned char height, int x, int y, unsigned char mode);

/* Sets, clears or flips (`mode`; TESSALINE_COPY sets) every pixel of the box of `width` x `height` pixels whose
   top left pixel is (x, y); what falls outside the frame is left out. */
void tessaline_fill(int x, int y, unsigned char width, unsigned char height, unsigned char mode) TESSALINE_REENTRANT;
/* The box's edges alone, a pixel wide (each pixel once, so that TESSALINE_XOR flips the corners once too). */
void tessaline_outline(int x, int y, unsigned char width, unsigned char height, unsigned char mode) TESSALINE_REENTRANT;
/* A line across from (x, y), `length` pixels to the right; one down, `length` pixels from (x, y). */
#define tessaline_hline(x, y, length, mode) tessaline_fill((x), (y), (length), 1, (mode))
#define tessaline_vline(x, y, length, mode) tessaline_fill((x), (y), 1, (length), (mode))

/* A cropped glyph's box, as NAME_boxes holds five bytes a glyph: where its ink starts from the pen and from the
   line's top (either may be negative: a j starts left of its pen), the ink's size, and the pen's advance. */
typedef struct {
    signed char x, y;
    unsigned char width, height, advance;
} tessaline_box;

/* A glyph table as the converter writes it (--font ... --name NAME --header), for the functions below: cropped
   glyphs (--crop: boxes, each where the font puts it) or cells all of one size (--cell WxH). */
typedef struct {
    const unsigned char TESSALINE_CODE *data;
    const TESSALINE_WORD TESSALINE_CODE *offsets; /* cropped: where each glyph's bytes start */
    const tessaline_box TESSALINE_CODE *boxes;    /* cropped: each glyph's box */
    const unsigned char TESSALINE_CODE *widths;   /* cells: each glyph's advance; null: the cell's width */
    unsigned char width, height;                  /* cells: the cell */
    unsigned int bytes;                           /* cells: a cell's bytes */
    unsigned char lineHeight, baseline;           /* a line's rows, and the baseline's row from its top */
    unsigned int count;                           /* the glyphs the table holds */
} tessaline_font;

/* The version of the tables' format this runtime reads (NAME_FORMAT_VERSION in a table's header). */
#define TESSALINE_DRAW_FORMAT_VERSION 1
/* The glyph count of the table NAME, refused by the compiler where its header says another version of the format
   than the runtime reads (or none: a header older than the version). */
#define TESSALINE_COUNT_OF_VERSION(NAME)                                                                               \
    (NAME##_COUNT + 0 * sizeof(char[NAME##_FORMAT_VERSION == TESSALINE_DRAW_FORMAT_VERSION ? 1 : -1]))
/* `value` as a byte of a descriptor; a table whose value passes a byte (drawn at more than 255 pixels) is refused
   by the compiler (an array of negative size), not cut to its low byte. */
#define TESSALINE_BYTE(value) ((unsigned char)((value) + 0 * sizeof(char[(value) < 256 ? 1 : -1])))
/* 0, refused by the compiler where the values of `table` are not bytes (the boxes of glyphs past 255 pixels:
   16-bit); added to a byte of the descriptor, as a pointer plus a constant is no constant to SDCC. */
#define TESSALINE_BYTES_ONLY(table) (0 * sizeof(char[sizeof((table)[0]) == 1 ? 1 : -1]))

/* A table's descriptor from the names its header gives: TESSALINE_CROPPED_FONT(menu, MENU) for a table made
   with --crop, TESSALINE_CELL_FONT(hz, HZ) for one of cells of one size (a table without widths: pass 0 as them
   with TESSALINE_CELL_FONT_NO_WIDTHS). */
#define TESSALINE_CROPPED_FONT(name, NAME)                                                                             \
    {                                                                                                                  \
        name, name##_offsets, (const tessaline_box TESSALINE_CODE *)name##_boxes, 0,                                   \
            TESSALINE_BYTE(NAME##_WIDTH + TESSALINE_BYTES_ONLY(name##_boxes)), TESSALINE_BYTE(NAME##_HEIGHT), 0,       \
            TESSALINE_BYTE(NAME##_LINE_HEIGHT), TESSALINE_BYTE(NAME##_BASELINE), TESSALINE_COUNT_OF_VERSION(NAME)      \
    }
#define TESSALINE_CELL_FONT(name, NAME) TESSALINE_CELL_FONT_OF(name, NAME, name##_widths)
#define TESSALINE_CELL_FONT_NO_WIDTHS(name, NAME) TESSALINE_CELL_FONT_OF(name, NAME, 0)
#define TESSALINE_CELL_FONT_OF(name, NAME, widths)                                                                     \
    {                                                                                                                  \
        &name[0][0], 0, 0, widths, TESSALINE_BYTE(NAME##_WIDTH), TESSALINE_BYTE(NAME##_HEIGHT), NAME##_BYTES,          \
            TESSALINE_BYTE(NAME##_LINE_HEIGHT), TESSALINE_BYTE(NAME##_BASELINE), TESSALINE_COUNT_OF_VERSION(NAME)      \
    }

/* Draws glyph `index` of `font` with the pen at x and the line's top at y (the baseline lies font->baseline
   rows below); returns the pen's x after it, moved on by the glyph's advance. An index the table does not hold
   draws nothing and leaves the pen where it is. */
int tessaline_glyph(const tessaline_font TESSALINE_CODE *font, unsigned int index, int x, int y, unsigned char mode);

/* Draws a string of glyph indices (--strings: NAME_s0 ...), ended by 0xFF (NAME_END), the pen from x, the line's
   top at y; returns the pen's x after its last glyph. It ends at the first index the table does not hold, the end
   mark among them. */
int tessaline_string(const tessaline_font TESSALINE_CODE *font, const unsigned char TESSALINE_CODE *indices, int x,
                     int y, unsigned char mode);

/* The same for a table of 255 glyphs or more, whose strings hold 16-bit indices ended by 0xFFFF (NAME_END). */
int tessaline_string16(const tessaline_font TESSALINE_CODE *font, const TESSALINE_WORD TESSALINE_CODE *indices, int x,
                       int y, unsigned char mode);

#endif
