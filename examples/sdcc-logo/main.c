/* Copies the logo into the display buffer, as a driver does before it sends the buffer to the display: 128 x 64
   pixels as the SSD1306 takes them, 8 pages of 128 bytes, each byte a column of 8 pixels, the top one in bit 0. */

#define LOGO_BYTES 1024

extern __code unsigned char logo[LOGO_BYTES];
__xdata unsigned char display[LOGO_BYTES];

void main(void)
{
    unsigned int i;
    for (i = 0; i < LOGO_BYTES; ++i)
        display[i] = logo[i];
    for (;;)
        ;
}
