/* One scene on any display the drawing runtime serves, from the same source: a photograph fitted to 48 x 48 pixels,
   an icon over it through its mask, a menu in Chinese and Latin (menu.txt, its glyphs drawn from a 16-pixel bitmap
   font), a box with a line in it, and a frame of a bouncing ball unpacked into external RAM and drawn at a
   position; then the next frame, of which only the rows it changed are sent. The data is each display's own (the converter's
   --display in CMakeLists.txt): pages or rows, one bit, four or sixteen a pixel; the colours are 8-bit RGB, which
   the runtime takes to each frame's pixels (on a mono display, white is a set pixel). */

#include "bus.h"
#include "icon.h"
#include "menu.h"
#include "photo.h"
#include "tessaline_draw.h"
#include "unpackbits.h"
#include "ball.h"

#define WHITE TESSALINE_RGB(255, 255, 255)
#define MENU_X 52 /* the menu right of the photograph */
#define BALL_X 30 /* the ball under it, right of the box */
#define BALL_Y 48

static const tessaline_font TESSALINE_CODE font = TESSALINE_CROPPED_FONT(menu, MENU);
static const unsigned char TESSALINE_CODE *TESSALINE_CODE const lines[MENU_STRINGS] = {menu_s0, menu_s1, menu_s2};
static unsigned char TESSALINE_XDATA bouncing[BALL_BYTES];

/* Frame k of the ball, unpacked, drawn opaque over the last. */
static void step(unsigned char k)
{
    unpackbits(bouncing, ball + ball_offsets[k], BALL_BYTES);
    tessaline_xbitmap(bouncing, 0, BALL_WIDTH, BALL_HEIGHT, BALL_X, BALL_Y, TESSALINE_COPY);
}

void main(void)
{
    unsigned char k;
    tessaline_init(0x7F, 0);
    bus_mark('I'); /* (in a journal of the bus, for a test: nothing on a real one) */
    tessaline_bitmap(photo, 0, PHOTO_WIDTH, PHOTO_HEIGHT, 0, 0, TESSALINE_COPY);
    tessaline_bitmap(icon, icon_mask, ICON_WIDTH, ICON_HEIGHT, 4, 4, TESSALINE_SET);
    for (k = 0; k < MENU_STRINGS; ++k)
        tessaline_string(&font, lines[k], MENU_X, k * 21, WHITE);
    tessaline_outline(0, 49, 28, 15, WHITE);
    tessaline_hline(3, 56, 22, WHITE);
    step(0);
    tessaline_flush_all();
    bus_mark('M');
    step(1); /* (a firmware would wait its delay first) */
    tessaline_flush();
    for (;;)
        ;
}
