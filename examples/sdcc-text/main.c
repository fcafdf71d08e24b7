/* Prints "你好, 8051!" into a frame buffer as an SSD1306 takes it: 128 x 64 pixels in 8 pages of 128 columns, each
   byte a column of 8 pixels, the top one in bit 0. The text is kept as firmware keeps text, in GB2312 codes; each
   character's glyph is found by its code in hello_codes. A Chinese character is 16 pixels wide, any other 8. */

#include "hello.h"

#define COLUMNS 128

__xdata unsigned char frame[8 * COLUMNS];

static __code const unsigned int message[] = {0xC4E3, 0xBAC3, ',', ' ', '8', '0', '5', '1', '!'};

void main(void)
{
    unsigned int i;
    unsigned char c, k, x, page, column, width;
    for (i = 0; i < sizeof frame; ++i)
        frame[i] = 0;
    x = 0;
    for (c = 0; c < sizeof message / sizeof message[0]; ++c) {
        for (k = 0; k < HELLO_COUNT && hello_codes[k] != message[c]; ++k)
            ;
        width = message[c] < 0x80 ? 8 : 16;
        /* A glyph is its pages one after the other, each `width` columns. */
        for (page = 0; page < HELLO_HEIGHT / 8; ++page)
            for (column = 0; column < width; ++column)
                frame[page * COLUMNS + x + column] = hello[k][page * width + column];
        x += width;
    }
    for (;;)
        ;
}
