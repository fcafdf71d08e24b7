/* tessaline_draw: the frame sent to its display's controller (TESSALINE_DRAW_DISPLAY, set by tessaline_add_draw's
   DISPLAY), through the two functions the firmware gives for its bus: tessaline_command() and tessaline_data();
   see tessaline_draw.h. Each controller is addressed as its datasheet has it, the frame in its top left corner:

     page controllers (SSD1306, SSD1309, SH1106, ST7565, UC1701, PCD8544, KS0108): a page at a time, its address
       set, then the frame's bytes of the page (the KS0108's in two runs of 64, one to each controller);
     ST7920: its graphic RAM of 256 x 32, a row of the frame's lower half to the right of the upper half's;
     SSD1322: the column (4 pixels a step, the 256 visible from 28 on) and row windows, then the rows' bytes;
     ST7735, ST7789, ILI9341: the column and row windows, then the rows' bytes, two a pixel. */
#include "tessaline_draw.h"

#ifdef TESSALINE_DRAW_DISPLAY

#if TESSALINE_DRAW_VERTICAL
#define ROW_BYTES TESSALINE_DRAW_WIDTH
#define UNIT 8 /* a page's rows */
#else
#define ROW_BYTES TESSALINE_ROW_BYTES
#define UNIT 1
#endif

unsigned char tessaline_chip;

/* The rows drawn since the last flush: from `first` to before `last` (none where first >= last). */
unsigned int TESSALINE_XDATA tessaline_touched_from = 0xFFFF, tessaline_touched_to;
#define first tessaline_touched_from
#define last tessaline_touched_to

void tessaline_touched(int y, tessaline_size height)
{
    unsigned int from, to;
    if (y >= (int)TESSALINE_DRAW_HEIGHT)
        return;
    if (y < 0) {
        if (0u - (unsigned int)y >= height)
            return;
        from = 0;
        to = height - (0u - (unsigned int)y);
    } else {
        from = (unsigned int)y;
        to = height > TESSALINE_DRAW_HEIGHT - from ? TESSALINE_DRAW_HEIGHT : from + height;
    }
    if (to > TESSALINE_DRAW_HEIGHT)
        to = TESSALINE_DRAW_HEIGHT;
    if (from < first)
        first = from;
    if (to > last)
        last = to;
}

#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SSD1322 || TESSALINE_DRAW_DISPLAY >= TESSALINE_DISPLAY_ST7735
/* A few bytes of parameters, sent as data after their command. */
static unsigned char TESSALINE_XDATA parameters[4];

static void send(unsigned char count)
{
    tessaline_data(parameters, count);
}

static void command1(unsigned char command, unsigned char parameter)
{
    tessaline_command(command);
    parameters[0] = parameter;
    send(1);
}
#endif
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SSD1322
static void command2(unsigned char command, unsigned char one, unsigned char two)
{
    tessaline_command(command);
    parameters[0] = one;
    parameters[1] = two;
    send(2);
}
#endif

/* Rows `from` to before `to` (whole pages in a frame of pages) sent to the controller. */
static void rows(unsigned int from, unsigned int to)
{
#if TESSALINE_DRAW_VERTICAL
    unsigned char page;
    for (page = (unsigned char)(from / 8); page < (to + 7) / 8; ++page) {
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_KS0108
        for (tessaline_chip = 0; tessaline_chip < 2; ++tessaline_chip) {
            tessaline_command((unsigned char)(0xB8 | page));
            tessaline_command(0x40); /* its column 0 */
            tessaline_data(tessaline_frame + page * 128 + tessaline_chip * 64, 64);
        }
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_PCD8544
        tessaline_command((unsigned char)(0x40 | page)); /* its bank */
        tessaline_command(0x80);                         /* its column 0 */
        tessaline_data(tessaline_frame + page * ROW_BYTES, ROW_BYTES);
#else
        /* the page, and the column from which its bytes go: the SH1106's 128 visible columns from 2 on */
        tessaline_command((unsigned char)(0xB0 | page));
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SH1106
        tessaline_command(0x02);
#else
        tessaline_command(0x00);
#endif
        tessaline_command(0x10);
        tessaline_data(tessaline_frame + page * ROW_BYTES, ROW_BYTES);
#endif
    }
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_ST7920
    unsigned int y;
    /* a row at a time: the lower half's row y lies right of the upper half's y - 32 */
    for (y = from; y < to; ++y) {
        tessaline_command((unsigned char)(0x80 | (y & 31)));
        tessaline_command((unsigned char)(y & 32 ? 0x88 : 0x80));
        tessaline_data(tessaline_frame + y * ROW_BYTES, ROW_BYTES);
    }
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SSD1322
    unsigned int y;
    command2(0x15, 28, (unsigned char)(28 + (TESSALINE_DRAW_WIDTH + 3) / 4 - 1));
    command2(0x75, (unsigned char)from, (unsigned char)(to - 1));
    tessaline_command(0x5C);
    y = (to - from) * ROW_BYTES;
    tessaline_data(tessaline_frame + from * ROW_BYTES, y);
#else
    unsigned int y;
    tessaline_command(0x2A);
    parameters[0] = 0;
    parameters[1] = 0;
    parameters[2] = (unsigned char)((TESSALINE_DRAW_WIDTH - 1) >> 8);
    parameters[3] = (unsigned char)(TESSALINE_DRAW_WIDTH - 1);
    send(4);
    tessaline_command(0x2B);
    parameters[0] = (unsigned char)(from >> 8);
    parameters[1] = (unsigned char)from;
    parameters[2] = (unsigned char)((to - 1) >> 8);
    parameters[3] = (unsigned char)(to - 1);
    send(4);
    tessaline_command(0x2C);
    y = (to - from) * ROW_BYTES;
    tessaline_data(tessaline_frame + from * ROW_BYTES, y);
#endif
}

void tessaline_flush(void)
{
    if (first < last)
        rows(first, last);
    first = 0xFFFF;
    last = 0;
}

void tessaline_flush_all(void)
{
    rows(0, TESSALINE_DRAW_HEIGHT);
    first = 0xFFFF;
    last = 0;
}

void tessaline_init(unsigned char contrast, unsigned char turned)
{
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SSD1306 || TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SSD1309 ||      \
    TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SH1106
    static const unsigned char TESSALINE_CODE start[] = {
        0xAE, /* off */
        0xD5,
        0x80, /* clock */
        0xA8,
        0x3F, /* 64 rows */
        0xD3,
        0x00, /* no offset */
        0x40, /* first row 0 */
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SH1106
        0xAD,
        0x8B, /* its charge pump */
#else
        0x8D,
        0x14, /* its charge pump */
        0x20,
        0x02, /* page addressing */
#endif
        0xDA,
        0x12, /* rows wired alternately */
        0xD9,
        0xF1, /* precharge */
        0xDB,
        0x40, /* deselect level */
        0xA4, /* the RAM shown */
        0xA6, /* not inverted */
    };
    unsigned char i;
    for (i = 0; i < sizeof start; ++i)
        tessaline_command(start[i]);
    tessaline_command(turned ? 0xA0 : 0xA1); /* columns left to right, or right to left */
    tessaline_command(turned ? 0xC0 : 0xC8); /* rows top to bottom, or bottom to top */
    tessaline_command(0x81);
    tessaline_command(contrast);
    tessaline_command(0xAF); /* on */
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_ST7565 || TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_UC1701
    tessaline_command(0xE2);                 /* reset */
    tessaline_command(0xA2);                 /* bias 1/9 */
    tessaline_command(turned ? 0xA1 : 0xA0); /* columns */
    tessaline_command(turned ? 0xC0 : 0xC8); /* rows */
    tessaline_command(0x2F);                 /* its power circuits on */
    tessaline_command(0x25);                 /* resistor ratio */
    tessaline_command(0x81);                 /* the electronic volume, 0 to 63 */
    tessaline_command((unsigned char)(contrast >> 2));
    tessaline_command(0x40); /* first row 0 */
    tessaline_command(0xAF); /* on */
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_KS0108
    /* no contrast (a potentiometer's) and no turning: each controller on, from row 0 */
    (void)contrast;
    (void)turned;
    for (tessaline_chip = 0; tessaline_chip < 2; ++tessaline_chip) {
        tessaline_command(0x3F);
        tessaline_command(0xC0);
    }
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_PCD8544
    (void)turned;                                               /* it cannot be turned */
    tessaline_command(0x21);                                    /* the extended instructions */
    tessaline_command((unsigned char)(0x80 | (contrast >> 1))); /* Vop, 0 to 127 */
    tessaline_command(0x04);                                    /* temperature coefficient */
    tessaline_command(0x13);                                    /* bias 1:48 */
    tessaline_command(0x20);                                    /* the basic ones, across */
    tessaline_command(0x0C);                                    /* normal */
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_ST7920
    (void)contrast; /* a potentiometer's */
    (void)turned;
    tessaline_command(0x30); /* 8-bit bus, the basic instructions */
    tessaline_command(0x0C); /* on */
    tessaline_command(0x06); /* the address moving on */
    tessaline_command(0x34); /* the extended instructions */
    tessaline_command(0x36); /* graphics on */
#elif TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_SSD1322
    command1(0xFD, 0x12); /* commands unlocked */
    tessaline_command(0xAE);
    command1(0xB3, 0x91);                       /* clock */
    command1(0xCA, 0x3F);                       /* 64 rows */
    command1(0xA2, 0x00);                       /* no offset */
    command1(0xA1, 0x00);                       /* first row 0 */
    command2(0xA0, turned ? 0x06 : 0x14, 0x11); /* nibbles, columns and rows in the order turned or not */
    command1(0xAB, 0x01);                       /* its own regulator */
    command1(0xC1, contrast);
    command1(0xC7, 0x0F);    /* master contrast */
    tessaline_command(0xB9); /* the linear grey scale */
    tessaline_command(0xA6); /* normal */
    tessaline_command(0xAF); /* on */
#else
    (void)contrast;          /* a backlight's */
    tessaline_command(0x01); /* reset */
    tessaline_wait(150);
    tessaline_command(0x11); /* out of sleep */
    tessaline_wait(150);
    command1(0x3A, TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_ST7735 ? 0x05 : 0x55); /* 16 bits a pixel */
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_ILI9341
    command1(0x36, turned ? 0x88 : 0x48); /* its memory's order: BGR panels, turned by half a turn */
#else
    command1(0x36, turned ? 0xC0 : 0x00);
#endif
#if TESSALINE_DRAW_DISPLAY == TESSALINE_DISPLAY_ST7789
    tessaline_command(0x21);              /* its panels' colours inverted */
#endif
    tessaline_command(0x29);              /* on */
#endif
}

#else
typedef char tessaline_no_display; /* no DISPLAY: the frame is the firmware's to send */
#endif
