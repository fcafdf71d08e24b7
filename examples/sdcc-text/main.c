/* Draws three lines of a menu into a 128 x 64 frame buffer with the drawing runtime the CMake module brings
   (tessaline_add_draw): no drawing code here. The lines are menu.txt's: the converter made each an array of glyph
   indices (menu_s0, menu_s1, ...) ended by MENU_END, so there is no UTF-8 to decode and no code to look up; each
   glyph is stored as its ink's box alone (--crop), where the font puts it. A line may start at any pixel, down as
   well as across, and its pen ends where the string's advance takes it. */

#include "menu.h"
#include "tessaline_draw.h"

static const tessaline_font TESSALINE_CODE font = TESSALINE_CROPPED_FONT(menu, MENU);
static const unsigned char TESSALINE_CODE *TESSALINE_CODE const lines[MENU_STRINGS] = {menu_s0, menu_s1, menu_s2};
static const int TESSALINE_CODE where[MENU_STRINGS][2] = {{3, 2}, {10, 21}, {0, 45}}; /* x, the line's top */

void main(void)
{
    unsigned char k;
    for (k = 0; k < MENU_STRINGS; ++k)
        tessaline_string(&font, lines[k], where[k][0], where[k][1], TESSALINE_SET);
    for (;;)
        ;
}
