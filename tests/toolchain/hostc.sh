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
attribute='__attribute__((section(".rodata.gfx"), aligned(2)))'
printf 'A\xe4\xbd\xa0\n/*A*/\n' >menu.txt
mkdir pictures && cp "$source/examples/sdcc-logo/logo.bmp" 'pictures/*logo.bmp'
"$cli" -f c51 --name logo --c-dialect c --c-attribute "$attribute" --header logo.h -o logo.c 'pictures/*logo.bmp'
"$cli" --font "$font" --strings menu.txt --crop -f c51 --name menu --c-dialect c --c-attribute "$attribute" \
    --header menu.h -o menu.c
cat >main.c <<'C'
#include "logo.h"
#include "menu.h"
#include <stdio.h>

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
    return 0;
}
C
for file in main logo menu; do
    gcc -std=c99 -Wall -Wextra -Werror -c -o $file.o $file.c || fail "$file.c does not compile cleanly"
done
objdump -h logo.o | grep '\.rodata\.gfx' >/dev/null || fail "the arrays are not in the section the attribute names"
gcc -o main main.o logo.o menu.o
./main >printed
logo=$("$cli" -f hex "$source/examples/sdcc-logo/logo.bmp" | od -An -v -tx1 | tr -d ' \n')
# The cropped glyphs' bytes, as C51 text without a name writes them (raw bytes of a cropped set are refused).
glyphs=$("$cli" --font "$font" --strings menu.txt --crop -f c51 | grep '^0x' | tr -d ' ,\r\n' | sed 's/0x//g' |
    tr 'A-F' 'a-f')
expected=$(printf '%s\n%s\n0041 c4e3 %d 255' "$logo" "$glyphs" $((${#glyphs} / 2)))
[ "$(cat printed)" = "$expected" ] || fail "the program read other bytes than the converter's: $(head -c 300 printed)"
