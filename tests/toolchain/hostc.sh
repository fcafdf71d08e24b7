#!/usr/bin/env bash
# Plain C for a host's compiler: a picture, a glyph table with its strings and boxes (16-bit tables) and a mask,
# written with --c-dialect c and a section attribute, compile with gcc -std=c99 -Wall -Wextra -Werror beside a
# program that includes their headers (a picture's path and a string holding "/*", which -Wall warns of within a
# comment); run, it prints the arrays' bytes and values, which are the converter's.
#   hostc.sh TESSALINE_CLI SOURCE_DIR
set -euo pipefail
cli=$1 source=$(cd "$2" && pwd)
command -v gcc >/dev/null || { echo "gcc is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
font=/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf
[ -f "$font" ] || fail "the WenQuanYi bitmap font is missing (scripts/install-deps installs xfonts-wqy)"
cd "$work"
attribute='__attribute__((section(".rodata.gfx"), aligned(1 << 1)))'
printf 'A\xe4\xbd\xa0\n/*A*/\n' >menu.txt
mkdir pictures && cp "$source/examples/sdcc-logo/logo.bmp" 'pictures/*logo.bmp'
"$cli" -f c51 --name logo --c-dialect c --c-attribute "$attribute" --header logo.h -o logo.c 'pictures/*logo.bmp'
"$cli" --font "$font" --strings menu.txt --crop -f c51 --name menu --c-dialect c --c-attribute "$attribute" \
    --header menu.h -o menu.c
cat >main.c <<'C'
#include "logo.h"
#include "menu.h"
#include "tessaline_draw.h"
#include <stdio.h>

static const tessaline_font font = TESSALINE_CROPPED_FONT(menu, MENU);
/* No end mark: the string ends at the first index the table does not hold. */
static const unsigned char unended[4] = {0, 1, MENU_COUNT, 0};

/* The runtime: an index past the table draws nothing and leaves the pen; the string draws its two glyphs. */
static void draw(void)
{
    unsigned i, drawn = 0;
    const int pen = tessaline_glyph(&font, MENU_COUNT, 7, 0, TESSALINE_SET);
    for (i = 0; i < sizeof tessaline_frame; ++i)
        drawn |= tessaline_frame[i];
    printf("%d %u %d\n", pen, drawn, tessaline_string(&font, unended, 0, 0, TESSALINE_SET));
}

int main(void)
{
    unsigned i;
    for (i = 0; i < LOGO_BYTES; ++i)
        printf("%02x", logo[i]);
    printf("\n");
    for (i = 0; i < MENU_SIZE; ++i)
        printf("%02x", menu[i]);
    printf("\n%04x %04x %u %u\n", menu_codes[0], menu_codes[1], (unsigned)menu_offsets[MENU_COUNT],
           (unsigned)menu_s0[2]);
    draw();
    return 0;
}
C
cp "$source/cmake/tessaline_draw.c" "$source/cmake/tessaline_draw.h" "$source/cmake/tessaline_bitmap.h" "$source/cmake/tessaline_8051.h" "$source/cmake/unpackbits.c" \
    "$source/cmake/unpackbits.h" .
# The runtime is C90, as the classic 8051 compilers take it: in each frame layout.
for layout in "1 0" "0 0" "1 1"; do
    set -- $layout
    gcc -std=c90 -pedantic -Wall -Wextra -Werror -DTESSALINE_DRAW_VERTICAL=$1 -DTESSALINE_DRAW_KS0108=$2 \
        -c -o /dev/null tessaline_draw.c || fail "tessaline_draw.c ($layout) is not C90"
done
gcc -std=c90 -pedantic -Wall -Wextra -Werror -c -o /dev/null unpackbits.c || fail "unpackbits.c is not C90"
for file in main logo menu tessaline_draw; do # the menu's glyphs in rows, as the frame's
    gcc -std=c99 -Wall -Wextra -Werror -DTESSALINE_DRAW_VERTICAL=0 -c -o $file.o $file.c ||
        fail "$file.c does not compile cleanly"
done
objdump -h logo.o | grep '\.rodata\.gfx' >/dev/null || fail "the arrays are not in the section the attribute names"
gcc -o main main.o logo.o menu.o tessaline_draw.o
./main >printed
logo=$("$cli" -f hex "$source/examples/sdcc-logo/logo.bmp" | od -An -v -tx1 | tr -d ' \n')
# The cropped glyphs' bytes, as C51 text without a name writes them (raw bytes of a cropped set are refused).
glyphs=$("$cli" --font "$font" --strings menu.txt --crop -f c51 | grep '^0x' | tr -d ' ,\r\n' | sed 's/0x//g' |
    tr 'A-F' 'a-f')
boxes=$(grep -A1 'menu_boxes' menu.c | tail -1)
advances=$(($(echo "$boxes" | cut -d, -f5) + $(echo "$boxes" | cut -d, -f10))) # the first two glyphs'
expected=$(printf '%s\n%s\n0041 c4e3 %d 255\n7 0 %d' "$logo" "$glyphs" $((${#glyphs} / 2)) "$advances")
[ "$(cat printed)" = "$expected" ] || fail "the program read other bytes than the converter's: $(head -c 300 printed)"

# A table drawn past 255 pixels (its boxes 16-bit, its line 300 rows) is refused by the compiler in the runtime's
# descriptor, which holds bytes, rather than cut to its low bytes.
"$cli" --font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --text _ --size 300 --crop --index unicode -f c51 \
    --name big --c-dialect c --header big.h -o big.c
printf '#include "big.h"\n#include "tessaline_draw.h"\nconst tessaline_font font = TESSALINE_CROPPED_FONT(big, BIG);\n' \
    >uses.c
! gcc -std=c99 -c -o uses.o uses.c 2>compiled || fail "a descriptor of a table past a byte compiles"
grep -q negative compiled || fail "a descriptor of a table past a byte is refused for another reason: $(cat compiled)"
# So is a table whose header says another version of the data's format than the runtime reads.
grep -q '^#define MENU_FORMAT_VERSION 1' menu.h || fail "the header does not say the data's format version"
mkdir other && sed 's/^#define MENU_FORMAT_VERSION 1/#define MENU_FORMAT_VERSION 0/' menu.h >other/menu.h
printf '#include "menu.h"\n#include "tessaline_draw.h"\nconst tessaline_font font = TESSALINE_CROPPED_FONT(menu, MENU);\n' \
    >other/uses.c
! gcc -std=c99 -I other -I . -c -o other/uses.o other/uses.c 2>compiled || fail "a table of another format version compiles"
grep -q negative compiled || fail "a table of another format version is refused for another reason: $(cat compiled)"
# And a table the frame cannot draw: glyphs in rows for a frame of pages, gray4 glyphs for a mono frame.
mkdir grey && sed 's/^#define MENU_BITS_PER_PIXEL 1/#define MENU_BITS_PER_PIXEL 4/' menu.h >grey/menu.h
printf '#include "menu.h"\n#include "tessaline_draw.h"\nconst tessaline_font font = TESSALINE_CROPPED_FONT(menu, MENU);\n' |
    tee draws.c >grey/draws.c
for frame in "1 draws.c" "0 grey/draws.c"; do
    set -- $frame
    ! gcc -std=c99 -DTESSALINE_DRAW_VERTICAL=$1 -I. -c -o draws.o $2 2>compiled || fail "$2 compiles in a frame that cannot draw it"
    grep -q negative compiled || fail "a table the frame cannot draw is refused for another reason: $(cat compiled)"
done
