/* tessaline_draw: bitmaps, glyphs and strings drawn into a frame buffer on an 8051, for the data tessaline-cli
   writes. The same source serves SDCC and the classic 8051 compilers' dialect; tessaline_add_draw() in the CMake
   module adds it to a target and sets the frame:
     TESSALINE_DRAW_WIDTH, TESSALINE_DRAW_HEIGHT   the frame's pixels (default 128 x 64)
     TESSALINE_DRAW_VERTICAL   1: pages, a byte a column of 8 rows, bit 0 on top (SSD1306, ST7565, KS0108);
                               0: rows, 8 pixels a byte, the leftmost in bit 7 (the converter's default)
     TESSALINE_DRAW_KS0108     1 (pages, 128 wide): a KS0108 module's frame; its layout is the pages' as the
                               converter writes --display ks0108 (a page across all 128 columns, the left
                               controller's 64 first), each controller's half sent to it by its chip select
     TESSALINE_DRAW_PIXEL      the pixel format (TESSALINE_MONO, the default, TESSALINE_GRAY2 ... TESSALINE_RGB565):
                               a grey or colour frame is in rows, as the converter writes --pixel
     TESSALINE_DRAW_BYTE_ORDER an rgb565 frame's (TESSALINE_BIG_ENDIAN, the default, or TESSALINE_LITTLE_ENDIAN)
     TESSALINE_DRAW_DISPLAY    a display preset (TESSALINE_DISPLAY_...): tessaline_init() and tessaline_flush()
     TESSALINE_DRAW_XRAM       defined: bitmaps from external RAM too (tessaline_xbitmap, tessaline_xmono)
   Bitmaps and glyphs are in the same layout as the frame (--layout vertical for pages); anything may be drawn
   at any (x, y), negative or past the frame's edges: what falls outside is left out. */
#ifndef TESSALINE_DRAW_H
#define TESSALINE_DRAW_H

#include "tessaline_8051.h"

#ifndef TESSALINE_MONO /* the pixel formats, as a table's header names them */
#define TESSALINE_MONO 0
#define TESSALINE_GRAY2 1
#define TESSALINE_GRAY4 2
#define TESSALINE_GRAY8 3
#define TESSALINE_RGB332 4
#define TESSALINE_RGB565 5
#define TESSALINE_RGB888 6
#define TESSALINE_HORIZONTAL 0
#define TESSALINE_VERTICAL 1
#define TESSALINE_MSB_FIRST 0
#define TESSALINE_LSB_FIRST 1
#define TESSALINE_BIG_ENDIAN 0
#define TESSALINE_LITTLE_ENDIAN 1
#endif

#ifndef TESSALINE_DRAW_WIDTH
#define TESSALINE_DRAW_WIDTH 128
#endif
#ifndef TESSALINE_DRAW_HEIGHT
#define TESSALINE_DRAW_HEIGHT 64
#endif
#ifndef TESSALINE_DRAW_PIXEL
#define TESSALINE_DRAW_PIXEL TESSALINE_MONO
#endif
#ifndef TESSALINE_DRAW_BYTE_ORDER
#define TESSALINE_DRAW_BYTE_ORDER TESSALINE_BIG_ENDIAN
#endif
#if TESSALINE_DRAW_PIXEL != TESSALINE_MONO
#undef TESSALINE_DRAW_VERTICAL
#define TESSALINE_DRAW_VERTICAL 0 /* grey and colour frames are rows, as the converter writes them */
#endif
#ifndef TESSALINE_DRAW_VERTICAL
#define TESSALINE_DRAW_VERTICAL 1
#endif
#ifndef TESSALINE_DRAW_KS0108
#define TESSALINE_DRAW_KS0108 0
#endif

/* A pixel's bits in the frame. */
#if TESSALINE_DRAW_PIXEL == TESSALINE_MONO
#define TESSALINE_DRAW_BITS 1
#elif TESSALINE_DRAW_PIXEL == TESSALINE_GRAY2
#define TESSALINE_DRAW_BITS 2
#elif TESSALINE_DRAW_PIXEL == TESSALINE_GRAY4
#define TESSALINE_DRAW_BITS 4
#elif TESSALINE_DRAW_PIXEL == TESSALINE_GRAY8 || TESSALINE_DRAW_PIXEL == TESSALINE_RGB332
#define TESSALINE_DRAW_BITS 8
#elif TESSALINE_DRAW_PIXEL == TESSALINE_RGB565
#define TESSALINE_DRAW_BITS 16
#else
#error "TESSALINE_DRAW_PIXEL: a frame is mono, gray2, gray4, gray8, rgb332 or rgb565"
#endif

#if TESSALINE_DRAW_VERTICAL
#define TESSALINE_FRAME_BYTES ((unsigned int)TESSALINE_DRAW_WIDTH * ((TESSALINE_DRAW_HEIGHT + 7) / 8))
#else
/* A row's bytes: its pixels' bits, the last byte's rest padding. */
#define TESSALINE_ROW_BYTES                                                                                            \
    ((unsigned int)TESSALINE_DRAW_WIDTH / 8 * TESSALINE_DRAW_BITS +                                                    \
     (TESSALINE_DRAW_WIDTH % 8 * TESSALINE_DRAW_BITS + 7) / 8)
#define TESSALINE_FRAME_BYTES (TESSALINE_ROW_BYTES * TESSALINE_DRAW_HEIGHT)
#endif

/* The frame: in mono, 1 bits are the pixels drawn (lit on an OLED, dark on an LCD); in grey and colour, each pixel
   its level or colour, as the converter writes --pixel (rgb565 in TESSALINE_DRAW_BYTE_ORDER). */
extern unsigned char TESSALINE_XDATA tessaline_frame[TESSALINE_FRAME_BYTES];

/* A colour as the frame takes it: in mono, what a drawing does (TESSALINE_SET and the rest, below); in grey a
   level, 0 black; in rgb332 and rgb565 the pixel's value. TESSALINE_RGB(r, g, b) makes it from 8-bit channels by
   the converter's arithmetic (each channel's level (v * max + 127) / 255, grey the luminance), a mono frame
   taking a luminance of 128 and more as set (lit on an OLED) and less as clear. */
#if TESSALINE_DRAW_BITS == 16
typedef TESSALINE_WORD tessaline_colour;
#else
typedef unsigned char tessaline_colour;
#endif
/* TESSALINE_FRAME_CALL: in a grey or colour frame, the drawing functions keep their parameters on the stack
   (TESSALINE_REENTRANT), and what they draw with in a few bytes of their own, shared. */
#if TESSALINE_DRAW_BITS == 1
#define TESSALINE_FRAME_CALL
#else
#define TESSALINE_FRAME_CALL TESSALINE_REENTRANT
#endif
/* A size in pixels: a byte in a mono frame of at most 255 pixels each way (the 8051 counts bytes fastest, and keeps
   them in its scarce internal RAM), else to 65535. */
#if TESSALINE_DRAW_BITS == 1 && TESSALINE_DRAW_WIDTH <= 255 && TESSALINE_DRAW_HEIGHT <= 255
typedef unsigned char tessaline_size;
#else
typedef unsigned int tessaline_size;
#endif
#define TESSALINE_LEVEL(v, max) (((unsigned int)(v) * (max) + 127) / 255)
#define TESSALINE_LUMINANCE_SUM(r, g, b) (299L * (r) + 587L * (g) + 114L * (b))
/* The luminance, rounded to the nearest, a half to the even one. */
#define TESSALINE_LUMINANCE(r, g, b)                                                                                   \
    (TESSALINE_LUMINANCE_SUM(r, g, b) / 1000 +                                                                         \
     (TESSALINE_LUMINANCE_SUM(r, g, b) % 1000 > 500 ||                                                                 \
      (TESSALINE_LUMINANCE_SUM(r, g, b) % 1000 == 500 && TESSALINE_LUMINANCE_SUM(r, g, b) / 1000 % 2)))
#if TESSALINE_DRAW_PIXEL == TESSALINE_MONO
#define TESSALINE_RGB(r, g, b) (TESSALINE_LUMINANCE(r, g, b) >= 128 ? TESSALINE_SET : TESSALINE_CLEAR)
#elif TESSALINE_DRAW_PIXEL == TESSALINE_GRAY2
#define TESSALINE_RGB(r, g, b) ((tessaline_colour)TESSALINE_LEVEL(TESSALINE_LUMINANCE(r, g, b), 3))
#elif TESSALINE_DRAW_PIXEL == TESSALINE_GRAY4
#define TESSALINE_RGB(r, g, b) ((tessaline_colour)TESSALINE_LEVEL(TESSALINE_LUMINANCE(r, g, b), 15))
#elif TESSALINE_DRAW_PIXEL == TESSALINE_GRAY8
#define TESSALINE_RGB(r, g, b) ((tessaline_colour)TESSALINE_LUMINANCE(r, g, b))
#elif TESSALINE_DRAW_PIXEL == TESSALINE_RGB332
#define TESSALINE_RGB(r, g, b)                                                                                         \
    ((tessaline_colour)(TESSALINE_LEVEL(r, 7) << 5 | TESSALINE_LEVEL(g, 7) << 2 | TESSALINE_LEVEL(b, 3)))
#else
#define TESSALINE_RGB(r, g, b)                                                                                         \
    ((tessaline_colour)(TESSALINE_LEVEL(r, 31) << 11 | TESSALINE_LEVEL(g, 63) << 5 | TESSALINE_LEVEL(b, 31)))
#endif

/* How a mono bitmap's 1 bits change a mono frame: set them, clear them, or flip them; or, TESSALINE_COPY, the
   bitmap drawn opaque: its 1 bits set and its 0 bits cleared (the box cleared, then the 1 bits set). In a grey or
   colour frame a bitmap of its own format is copied (TESSALINE_XOR flips the frame's bits by the bitmap's). */
#define TESSALINE_SET 0
#define TESSALINE_CLEAR 1
#define TESSALINE_XOR 2
#define TESSALINE_COPY 3

/* Draws a bitmap of `width` x `height` pixels in the frame's own format and layout, its top left pixel at (x, y).
   With a `mask` (--mask: a bit a pixel, in rows for a grey or colour bitmap), each pixel where the mask is 1 takes
   the bitmap's value and the rest stay as they are (`mode` is not used); without one (null), `mode` says what the
   bitmap does. */
void tessaline_bitmap(const unsigned char TESSALINE_CODE *bits, const unsigned char TESSALINE_CODE *mask,
                      tessaline_size width, tessaline_size height, int x, int y,
                      unsigned char mode) TESSALINE_FRAME_CALL;

#ifdef TESSALINE_DRAW_XRAM
/* The same, for a bitmap (and mask) in external RAM, such as a frame unpackbits() unpacked (XRAM in
   tessaline_add_draw). */
void tessaline_xbitmap(const unsigned char TESSALINE_XDATA *bits, const unsigned char TESSALINE_XDATA *mask,
                       tessaline_size width, tessaline_size height, int x, int y,
                       unsigned char mode) TESSALINE_REENTRANT;
#endif

#if TESSALINE_DRAW_BITS == 1
/* A mono bitmap's 1 bits drawn in `colour`: in a mono frame, the mode. */
#define tessaline_mono(bits, width, height, x, y, colour)                                                              \
    tessaline_bitmap((bits), 0, (width), (height), (x), (y), (colour))
#else
/* A mono bitmap (a bit a pixel in rows, the leftmost in bit 7, as the converter packs by default) drawn into a grey
   or colour frame: its 1 bits in `colour`, its 0 bits left as they are. */
void tessaline_mono(const unsigned char TESSALINE_CODE *bits, tessaline_size width, tessaline_size height, int x, int y,
                    tessaline_colour colour) TESSALINE_FRAME_CALL;
/* A gray4 bitmap (two pixels a byte, the left in the high bits, as --pixel gray4 writes it) laid over the frame
   in `colour` by each pixel's coverage: its level's distance from `background` (0, or 15 where no ink is white),
   15 drawing the colour, 0 leaving the frame's pixel, and between the two, each channel
   (frame x (16 - w) + colour x w + 8) / 16 for the weight w of the coverage c in sixteenths (c + c / 8). */
void tessaline_grey(const unsigned char TESSALINE_CODE *bits, tessaline_size width, tessaline_size height, int x, int y,
                    tessaline_colour colour, unsigned char background) TESSALINE_FRAME_CALL;
#ifdef TESSALINE_DRAW_XRAM
/* The same for a mono bitmap in external RAM (XRAM in tessaline_add_draw). */
void tessaline_xmono(const unsigned char TESSALINE_XDATA *bits, tessaline_size width, tessaline_size height, int x,
                     int y, tessaline_colour colour) TESSALINE_FRAME_CALL;
#endif
/* A bitmap of the frame's format whose pixels of the colour `key` are transparent: the rest are copied. */
void tessaline_keyed(const unsigned char TESSALINE_CODE *bits, tessaline_size width, tessaline_size height, int x,
                     int y, tessaline_colour key) TESSALINE_FRAME_CALL;
#endif

/* Fills the box of `width` x `height` pixels whose top left pixel is (x, y) with `colour` (in mono: sets, clears
   or flips it, TESSALINE_COPY setting); what falls outside the frame is left out. */
void tessaline_fill(int x, int y, tessaline_size width, tessaline_size height,
                    tessaline_colour colour) TESSALINE_REENTRANT;
/* The box's edges alone, a pixel wide (each pixel once, so that TESSALINE_XOR flips the corners once too). */
void tessaline_outline(int x, int y, tessaline_size width, tessaline_size height,
                       tessaline_colour colour) TESSALINE_REENTRANT;
/* A line across from (x, y), `length` pixels to the right; one down, `length` pixels from (x, y). */
#define tessaline_hline(x, y, length, colour) tessaline_fill((x), (y), (length), 1, (colour))
#define tessaline_vline(x, y, length, colour) tessaline_fill((x), (y), 1, (length), (colour))

/* The displays whose controllers the runtime addresses (DISPLAY in tessaline_add_draw), as the converter's
   --display presets. */
#define TESSALINE_DISPLAY_SSD1306 1
#define TESSALINE_DISPLAY_SH1106 2
#define TESSALINE_DISPLAY_SSD1309 3
#define TESSALINE_DISPLAY_ST7565 4
#define TESSALINE_DISPLAY_UC1701 5
#define TESSALINE_DISPLAY_KS0108 6
#define TESSALINE_DISPLAY_PCD8544 7
#define TESSALINE_DISPLAY_ST7920 8
#define TESSALINE_DISPLAY_SSD1322 9
#define TESSALINE_DISPLAY_ST7735 10
#define TESSALINE_DISPLAY_ST7789 11
#define TESSALINE_DISPLAY_ILI9341 12

#ifdef TESSALINE_DRAW_DISPLAY
/* The firmware gives these, for the bus its display is on: a command byte (D/C, RS or A0 low), and `count` data
   bytes (high); on a KS0108, to the controller tessaline_chip names (0 the left one, 1 the right); on the colour
   TFTs, tessaline_wait() too, for the milliseconds their start-up asks. */
void tessaline_command(unsigned char command);
void tessaline_data(const unsigned char TESSALINE_XDATA *bytes, unsigned int count);
#if TESSALINE_DRAW_DISPLAY >= TESSALINE_DISPLAY_ST7735
void tessaline_wait(unsigned int milliseconds);
#endif
extern unsigned char tessaline_chip;
/* The display's start-up: its controller set up as the preset's screen, its contrast (0 to 255, where the
   controller has one) and `turned` (1: the picture half a turn round, where it can), then on. */
void tessaline_init(unsigned char contrast, unsigned char turned);
/* The rows (in pages, the pages) drawn since the last flush sent to the display, the frame in its top left
   corner; tessaline_flush_all() sends all of them. */
void tessaline_flush(void);
void tessaline_flush_all(void);
/* What a drawing may change, kept for tessaline_flush() by the runtime's own functions: the rows from y, `height`
   of them, cut to the frame; or, in place (a box's rows, already cut), rows `from` to before `to`. */
void tessaline_touched(int y, tessaline_size height);
extern unsigned int TESSALINE_XDATA tessaline_touched_from, tessaline_touched_to;
#define TESSALINE_TOUCHED(y, height) tessaline_touched((y), (height))
#define TESSALINE_TOUCHED_ROWS(from, to)                                                                               \
    do {                                                                                                               \
        if ((unsigned int)(from) < tessaline_touched_from)                                                             \
            tessaline_touched_from = (unsigned int)(from);                                                             \
        if ((unsigned int)(to) > tessaline_touched_to)                                                                 \
            tessaline_touched_to = (unsigned int)(to);                                                                 \
    } while (0)
#else
#define TESSALINE_TOUCHED(y, height) ((void)0)
#define TESSALINE_TOUCHED_ROWS(from, to) ((void)0)
#endif

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
    unsigned char bits;                           /* a pixel's bits: 1, or 4 (--pixel gray4: each its coverage) */
    unsigned char background;                     /* the level of no ink (NAME_BACKGROUND): 0, or 15 in gray4 */
} tessaline_font;

/* 0, refused by the compiler where `condition` is false: an array of negative size, in a structure (SDCC lets a
   bare char[-1] in sizeof pass). */
#define TESSALINE_CHECK(condition) (0 * sizeof(struct { char tessaline_check[(condition) ? 1 : -1]; }))

/* The version of the tables' format this runtime reads (NAME_FORMAT_VERSION in a table's header). */
#define TESSALINE_DRAW_FORMAT_VERSION 1
/* The glyph count of the table NAME, refused by the compiler where its header says another version of the format
   than the runtime reads (or none: a header older than the version). */
#define TESSALINE_COUNT_OF_VERSION(NAME)                                                                               \
    (NAME##_COUNT + TESSALINE_CHECK(NAME##_FORMAT_VERSION == TESSALINE_DRAW_FORMAT_VERSION))
/* 0, refused by the compiler where the table NAME is not one this frame draws: in a mono frame a mono table in the
   frame's layout, in a grey or colour frame a mono or gray4 table in rows, the leftmost pixel in the highest bits. */
#if TESSALINE_DRAW_BITS == 1
#define TESSALINE_DRAWABLE(NAME) (NAME##_BITS_PER_PIXEL == 1 && NAME##_LAYOUT == TESSALINE_DRAW_VERTICAL)
#else
#define TESSALINE_DRAWABLE(NAME)                                                                                       \
    ((NAME##_BITS_PER_PIXEL == 1 || NAME##_BITS_PER_PIXEL == 4) && NAME##_LAYOUT == TESSALINE_HORIZONTAL &&            \
     NAME##_BIT_ORDER == TESSALINE_MSB_FIRST)
#endif
/* A table's pixel bits and background, for its descriptor, checked as drawable. */
#define TESSALINE_PIXELS_OF(NAME)                                                                                      \
    (unsigned char)(NAME##_BITS_PER_PIXEL + TESSALINE_CHECK(TESSALINE_DRAWABLE(NAME))), NAME##_BACKGROUND
/* `value` as a byte of a descriptor; a table whose value passes a byte (drawn at more than 255 pixels) is refused
   by the compiler (an array of negative size), not cut to its low byte. */
#define TESSALINE_BYTE(value) ((unsigned char)((value) + TESSALINE_CHECK((value) < 256)))
/* 0, refused by the compiler where the values of `table` are not bytes (the boxes of glyphs past 255 pixels:
   16-bit); added to a byte of the descriptor, as a pointer plus a constant is no constant to SDCC. */
#define TESSALINE_BYTES_ONLY(table) TESSALINE_CHECK(sizeof((table)[0]) == 1)

/* A table's descriptor from the names its header gives: TESSALINE_CROPPED_FONT(menu, MENU) for a table made
   with --crop, TESSALINE_CELL_FONT(hz, HZ) for one of cells of one size (a table without widths: pass 0 as them
   with TESSALINE_CELL_FONT_NO_WIDTHS). */
#define TESSALINE_CROPPED_FONT(name, NAME)                                                                             \
    {                                                                                                                  \
        name, name##_offsets, (const tessaline_box TESSALINE_CODE *)name##_boxes, 0,                                   \
            TESSALINE_BYTE(NAME##_WIDTH + TESSALINE_BYTES_ONLY(name##_boxes)), TESSALINE_BYTE(NAME##_HEIGHT), 0,       \
            TESSALINE_BYTE(NAME##_LINE_HEIGHT), TESSALINE_BYTE(NAME##_BASELINE), TESSALINE_COUNT_OF_VERSION(NAME),     \
            TESSALINE_PIXELS_OF(NAME)                                                                                  \
    }
#define TESSALINE_CELL_FONT(name, NAME) TESSALINE_CELL_FONT_OF(name, NAME, name##_widths)
#define TESSALINE_CELL_FONT_NO_WIDTHS(name, NAME) TESSALINE_CELL_FONT_OF(name, NAME, 0)
#define TESSALINE_CELL_FONT_OF(name, NAME, widths)                                                                     \
    {                                                                                                                  \
        &name[0][0], 0, 0, widths, TESSALINE_BYTE(NAME##_WIDTH), TESSALINE_BYTE(NAME##_HEIGHT), NAME##_BYTES,          \
            TESSALINE_BYTE(NAME##_LINE_HEIGHT), TESSALINE_BYTE(NAME##_BASELINE), TESSALINE_COUNT_OF_VERSION(NAME),     \
            TESSALINE_PIXELS_OF(NAME)                                                                                  \
    }

/* Draws glyph `index` of `font` with the pen at x and the line's top at y (the baseline lies font->baseline
   rows below), in `colour` (a gray4 table's glyph laid over the frame by its coverage: see the README); returns the
   pen's x after it, moved on by the glyph's advance. An index the table does not hold draws nothing and leaves the pen
   where it is. */
int tessaline_glyph(const tessaline_font TESSALINE_CODE *font, unsigned int index, int x, int y,
                    tessaline_colour colour);

/* Draws a string of glyph indices (--strings: NAME_s0 ...), ended by 0xFF (NAME_END), the pen from x, the line's
   top at y; returns the pen's x after its last glyph. It ends at the first index the table does not hold, the end
   mark among them. */
int tessaline_string(const tessaline_font TESSALINE_CODE *font, const unsigned char TESSALINE_CODE *indices, int x,
                     int y, tessaline_colour colour) TESSALINE_FRAME_CALL;

/* The same for a table of 255 glyphs or more, whose strings hold 16-bit indices ended by 0xFFFF (NAME_END). */
int tessaline_string16(const tessaline_font TESSALINE_CODE *font, const TESSALINE_WORD TESSALINE_CODE *indices, int x,
                       int y, tessaline_colour colour) TESSALINE_FRAME_CALL;

#endif
