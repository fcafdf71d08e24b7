/* Copies the logo into the display buffer, as a driver does before it sends the buffer to the display: 128 x 64
   pixels as the SSD1306 takes them, 8 pages of 128 bytes, each byte a column of 8 pixels, the top one in bit 0.
   logo.h is made from the picture at build time: if the picture stops being 128 x 64, this stops compiling. */

#include "logo.h"

#if LOGO_WIDTH != 128 || LOGO_HEIGHT != 64
#error "the display shows 128 x 64 pixels: the logo must be that size"
#endif
#if LOGO_BITS_PER_PIXEL != 1 || LOGO_LAYOUT != TESSALINE_VERTICAL || LOGO_BIT_ORDER != TESSALINE_LSB_FIRST
#error "the display takes pages of 8 rows, a byte a column, the top pixel in bit 0"
#endif

__xdata unsigned char display[LOGO_BYTES];

void main(void)
{
    unsigned int i;
    for (i = 0; i < LOGO_BYTES; ++i)
        display[i] = logo[i];
    for (;;)
        ;
}
