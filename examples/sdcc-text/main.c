/* Draws three lines of a menu into a frame buffer as an SSD1306 takes it: 128 x 64 pixels in 8 pages of 128
   columns, each byte a column of 8 pixels, the top one in bit 0. The lines are menu.txt's: the converter made
   each an array of glyph indices (menu_s0, menu_s1, ...) ended by MENU_END, so there is no UTF-8 to decode and
   no code to look up. Each glyph is stored as its ink's box alone (--crop): menu_boxes says where the box lies
   (x from the pen, which a glyph may start left of; y from the line's top), its width and height, and the
   advance to the next character; menu_offsets where its
   pages start in menu. A line may start at any pixel, down as well as across. */

#include "menu.h"

#define COLUMNS 128
#define ROWS 64

__xdata unsigned char frame[ROWS / 8 * COLUMNS];

static __code const unsigned char *__code const lines[MENU_STRINGS] = {menu_s0, menu_s1, menu_s2};
static __code const unsigned char where[MENU_STRINGS][2] = {{3, 2}, {10, 21}, {0, 45}}; /* x, y */

/* ORs a glyph's box, `pages` pages of `width` columns, into the frame with its top left pixel at (x, y). */
static void blit(__code const unsigned char *box, unsigned char width, unsigned char pages, unsigned char x,
                 unsigned char y)
{
    unsigned char page, column, shift = y % 8;
    unsigned int at;
    for (page = 0; page < pages; ++page)
        for (column = 0; column < width && x + column < COLUMNS; ++column) {
            unsigned char bits = box[page * width + column];
            unsigned char row = y / 8 + page;
            at = row * COLUMNS + x + column;
            if (row < ROWS / 8)
                frame[at] |= bits << shift;
            if (shift && row + 1 < ROWS / 8)
                frame[at + COLUMNS] |= bits >> (8 - shift);
        }
}

static void draw(__code const unsigned char *line, unsigned char x, unsigned char y)
{
    for (; *line != MENU_END; ++line) {
        __code const unsigned char *box = menu_boxes + 5 * *line; /* x (signed), y, width, height, advance */
        blit(menu + menu_offsets[*line], box[2], (box[3] + 7) / 8, x + (signed char)box[0], y + box[1]);
        x += box[4];
    }
}

void main(void)
{
    unsigned int i;
    unsigned char k;
    for (i = 0; i < sizeof frame; ++i)
        frame[i] = 0;
    for (k = 0; k < MENU_STRINGS; ++k)
        draw(lines[k], where[k][0], where[k][1]);
    for (;;)
        ;
}
