/* The two functions the runtime sends through (tessaline_command, tessaline_data), and the TFT's wait, for one
   way to wire a display: an 8-bit parallel bus (8080: data on P1, D/C on P3.4, WR on P3.6 pulsed low, and for a
   KS0108 its two chip selects on P3.2 and P3.3). An I2C or SPI display needs these three alone rewritten.
   With BUS_JOURNAL the bytes are kept in external RAM instead, for a test to read back from the simulator. */

#include "bus.h"
#include "tessaline_draw.h"

#ifdef BUS_JOURNAL
/* 'C' chip command; 'd' chip count bytes (a command's few parameters); 'D' chip address count (bytes from the
   frame); 'W' low high (a wait); and the marks. */
unsigned char TESSALINE_XDATA journal[1024];
unsigned int TESSALINE_XDATA journalLength;
static void note(unsigned char byte)
{
    if (journalLength < sizeof journal)
        journal[journalLength++] = byte;
}

void tessaline_command(unsigned char command)
{
    note('C');
    note(tessaline_chip);
    note(command);
}

void tessaline_data(const unsigned char TESSALINE_XDATA *bytes, unsigned int count)
{
    unsigned char i;
    if (bytes < tessaline_frame || bytes >= tessaline_frame + sizeof tessaline_frame) {
        note('d');
        note(tessaline_chip);
        note((unsigned char)count);
        for (i = 0; i < count; ++i)
            note(bytes[i]);
        return;
    }
    note('D');
    note(tessaline_chip);
    note((unsigned char)(unsigned int)bytes);
    note((unsigned char)((unsigned int)bytes >> 8));
    note((unsigned char)count);
    note((unsigned char)(count >> 8));
}

void tessaline_wait(unsigned int milliseconds)
{
    note('W');
    note((unsigned char)milliseconds);
    note((unsigned char)(milliseconds >> 8));
}

void bus_mark(unsigned char what)
{
    note(what);
}
#else
__sbit __at(0xB4) dataOrCommand; /* P3.4 */
__sbit __at(0xB6) writing;       /* P3.6, low while a byte is written */
__sbit __at(0xB2) left;          /* P3.2: a KS0108's left controller */
__sbit __at(0xB3) right;         /* P3.3: its right one */
__sfr __at(0x90) port;           /* P1 */

static void put(unsigned char byte)
{
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_KS0108
    left = tessaline_chip == 0;
    right = tessaline_chip == 1;
#endif
    port = byte;
    writing = 0;
    writing = 1;
}

void tessaline_command(unsigned char command)
{
    dataOrCommand = 0;
    put(command);
}

void tessaline_data(const unsigned char TESSALINE_XDATA *bytes, unsigned int count)
{
    dataOrCommand = 1;
    while (count--)
        put(*bytes++);
}

void tessaline_wait(unsigned int milliseconds)
{
    unsigned int i;
    while (milliseconds--)
        for (i = 0; i < 120; ++i) /* about a millisecond at 12 MHz */
            ;
}

void bus_mark(unsigned char what)
{
    (void)what;
}
#endif
