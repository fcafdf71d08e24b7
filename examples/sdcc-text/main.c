/* Draws a screen into a 128 x 64 frame buffer with the drawing runtime the CMake module brings
   (tessaline_add_draw), with no drawing code of its own: three lines of a menu, an icon over them through its
   mask, and a walk played frame by frame.

   The lines are menu.txt's: the converter made each an array of glyph indices (menu_s0, menu_s1, ...) ended by
   MENU_END, so there is no UTF-8 to decode and no code to look up; each glyph is stored as its ink's box alone
   (--crop), where the font puts it. A line may start at any pixel, down as well as across. The icon keeps what
   lies under its clear corners (--mask); each frame of the walk is cleared before the next is drawn (a firmware
   would wait walk's delay in between). */

#include "icon.h"
#include "menu.h"
#include "tessaline_draw.h"
#include "walk.h"

static const tessaline_font TESSALINE_CODE font = TESSALINE_CROPPED_FONT(menu, MENU);
static const unsigned char TESSALINE_CODE *TESSALINE_CODE const lines[MENU_STRINGS] = {menu_s0, menu_s1, menu_s2};
static const int TESSALINE_CODE where[MENU_STRINGS][2] = {{3, 2}, {10, 21}, {0, 45}}; /* x, the line's top */

void main(void)
{
    unsigned char k;
    for (k = 0; k < MENU_STRINGS; ++k)
        tessaline_string(&font, lines[k], where[k][0], where[k][1], TESSALINE_SET);
    tessaline_bitmap(icon, icon_mask, ICON_WIDTH, ICON_HEIGHT, 60, 18, TESSALINE_SET);
    for (k = 0; k < WALK_FRAMES; ++k) {
        if (k)
            tessaline_bitmap(walk[k - 1], 0, WALK_WIDTH, WALK_HEIGHT, 100, 44, TESSALINE_CLEAR);
        tessaline_bitmap(walk[k], 0, WALK_WIDTH, WALK_HEIGHT, 100, 44, TESSALINE_SET);
    }
    for (;;)
        ;
}
