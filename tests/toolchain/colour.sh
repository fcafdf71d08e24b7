#!/usr/bin/env bash
# The drawing runtime on grey and colour frames, in SDCC's 8051 simulator: one CMake project builds an SSD1322's
# firmware (gray4, 256 x 64) and an ST7735's (rgb565, 160 x 128) from one source, each drawing a mono glyph and a
# gray4 glyph at even and odd columns, clipped at the left, a glyph's bits unpacked into external RAM, and (rgb565)
# a photograph copied into the frame. Each
# frame is the same program's frame on the host, whose runtime the model tests check pixel by pixel; and the time
# each takes, in the simulator's count of instructions, stays within its bound.
#   colour.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR      (exit 77, skipped, without sdcc)
set -euo pipefail
cli=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd)
command -v sdcc >/dev/null || { echo "sdcc is not installed (scripts/install-deps installs it)"; exit 77; }
work=$(mktemp -d)
[ -z "${KEEP:-}" ] || echo "$work"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
here=$(dirname "$0")
font=/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf
[ -f "$font" ] || { echo "the WenQuanYi bitmap font is not installed"; exit 77; }

/usr/bin/python3 -c "
from PIL import Image
im = Image.new('RGB', (160, 128))
im.putdata([((x * 255) // 159, (y * 255) // 127, ((x + y) * 7) % 256) for y in range(128) for x in range(160)])
im.save('$work/photo.png')"
printf 'Aé 你好\n' >"$work/line.txt"
cat >"$work/main.c" <<'C'
#include "g.h"
#include "k.h"
#include "a.h"
#include "tessaline_draw.h"
#ifdef PHOTO
#include "photo.h"
#endif
static const tessaline_font TESSALINE_CODE mono = TESSALINE_CELL_FONT(g, G);
static const tessaline_font TESSALINE_CODE grey = TESSALINE_CELL_FONT(k, K);
static const tessaline_font TESSALINE_CODE smooth = TESSALINE_CROPPED_FONT(a, A);
void start(void) {}
void stop(void) {}
/* A glyph's bits unpacked into external RAM, as a frame of an animation would be. */
static unsigned char TESSALINE_XDATA unpacked[G_BYTES];
static void scene(void)
{
    unsigned int i;
    for (i = 0; i < G_BYTES; ++i)
        unpacked[i] = g[0][i];
#ifdef PHOTO
    start();
    tessaline_bitmap(photo, 0, PHOTO_WIDTH, PHOTO_HEIGHT, 0, 0, TESSALINE_COPY);
    stop();
#endif
    start();
    tessaline_glyph(&mono, 0, 6, 3, TESSALINE_RGB(255, 255, 255));
    stop();
    start();
    tessaline_glyph(&grey, 0, 60, 20, TESSALINE_RGB(255, 255, 0));
    stop();
    start();
    tessaline_glyph(&grey, 0, 81, 20, TESSALINE_RGB(255, 255, 0));
    stop();
    start();
    tessaline_glyph(&mono, 0, 33, 21, TESSALINE_RGB(0, 128, 255));
    stop();
    tessaline_glyph(&grey, 0, -5, 40, TESSALINE_RGB(200, 200, 200));
    tessaline_glyph(&mono, 0, -3, 45, TESSALINE_RGB(200, 0, 200));
    tessaline_string(&smooth, a_s0, 2, 46, TESSALINE_RGB(255, 160, 0));
    tessaline_string(&smooth, a_s0, 37, 47, TESSALINE_RGB(255, 255, 255));
    tessaline_string(&smooth, a_s0, TESSALINE_DRAW_WIDTH - 20, TESSALINE_DRAW_HEIGHT - 9, TESSALINE_RGB(0, 0, 255));
    tessaline_xmono(unpacked, 16, 16, 140, 3, TESSALINE_RGB(255, 0, 255));
    tessaline_xmono(unpacked, 16, 16, TESSALINE_DRAW_WIDTH - 7, 30, TESSALINE_RGB(255, 255, 255));
    tessaline_fill(100, 2, 20, 9, TESSALINE_RGB(0, 255, 0));
    tessaline_outline(98, 0, 24, 13, TESSALINE_RGB(255, 0, 0));
}
#ifdef __SDCC
void main(void)
{
    scene();
    for (;;)
        ;
}
#else
#include <stdio.h>
int main(void)
{
    unsigned int i;
    scene();
    for (i = 0; i < sizeof tessaline_frame; ++i)
        printf("%02x", tessaline_frame[i]);
    return 0;
}
#endif
C
{
    printf 'cmake_minimum_required(VERSION 3.19)\nset(CMAKE_TOOLCHAIN_FILE %s)\nproject(colour C)\nfind_package(Tessaline REQUIRED)\n' \
        "$source/examples/sdcc-logo/sdcc.cmake"
    for display in "ssd1322 gray4 256 64" "st7735 rgb565 160 128"; do
        read -r name pixel width height <<<"$display"
        printf 'add_executable(%s main.c)\ntessaline_add_draw(%s PIXEL %s WIDTH %s HEIGHT %s XRAM)\n' $name $name $pixel $width $height
        printf 'tessaline_add_font(%s g FONT %s TEXT "你" HEADER OPTIONS --cell 16x16)\n' $name "$font"
        printf 'tessaline_add_font(%s k FONT %s TEXT "你" HEADER OPTIONS --cell 16x16 --pixel gray4 --display ssd1322)\n' $name "$font"
        # An outline font's glyphs, anti-aliased: coverage between none and whole.
        printf 'tessaline_add_font(%s a FONT %s STRINGS line.txt HEADER OPTIONS --size 16 --crop --pixel gray4)\n' $name \
            /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
    done
    printf 'tessaline_add_picture(st7735 photo photo.png HEADER OPTIONS --pixel rgb565)\n'
    printf 'target_compile_definitions(st7735 PRIVATE PHOTO)\n'
} >"$work/CMakeLists.txt"
cmake -S "$work" -B "$work/build" -G Ninja -DTessaline_DIR="$build" >/dev/null || fail "the colour project is refused"
cmake --build "$work/build" >/dev/null || fail "the colour project does not build"

for display in "ssd1322 2 256 64 8192" "st7735 5 160 128 40960"; do
    read -r name pixel width height bytes <<<"$display"
    map=$work/build/$name.map
    at() { awk -v s="$1" '$3 == s {print $2}' "$map"; }
    # The same program on the host, its tables in the host's C: its frame, byte for byte.
    host=$work/host-$name
    mkdir "$host"
    "$cli" --font "$font" --text "你" --cell 16x16 -f c51 --c-dialect c --name g --header "$host/g.h" -o "$host/g.c"
    "$cli" --font "$font" --text "你" --cell 16x16 --pixel gray4 --display ssd1322 -f c51 --c-dialect c --name k \
        --header "$host/k.h" -o "$host/k.c"
    "$cli" --font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc --strings "$work/line.txt" --size 16 --crop \
        --pixel gray4 -f c51 --c-dialect c --name a --header "$host/a.h" -o "$host/a.c"
    [ $name != st7735 ] || "$cli" --pixel rgb565 -f c51 --c-dialect c --name photo --header "$host/photo.h" \
        -o "$host/photo.c" "$work/photo.png"
    gcc -std=c90 -pedantic -Werror -I"$source/cmake" -I"$host" -DTESSALINE_DRAW_PIXEL=$pixel -DTESSALINE_DRAW_XRAM \
        -DTESSALINE_DRAW_WIDTH=$width -DTESSALINE_DRAW_HEIGHT=$height $([ $name != st7735 ] || echo -DPHOTO) \
        -o "$work/$name" "$work/main.c" "$host/"*.c "$source/cmake/tessaline_draw.c" \
        "$source/cmake/tessaline_colour.c" || fail "the $name program does not build on the host"
    expected=$("$work/$name")
    [ "$expected" != "$(printf "%0$((2 * bytes))d" 0)" ] || fail "the $name program draws nothing"
    drawn=$(CHIP=8052 "$here/xram.sh" "$work/build/$name.ihx" $((16#$(at _tessaline_frame))) "$bytes" 3000000)
    [ "$drawn" = "$expected" ] || fail "the $name frame drawn in the simulator differs from the host's"
    # An 8052's 256 bytes of internal RAM: a grey or colour frame's runtime keeps more than an 8051's 128 holds.
    script='break 0x%s\nbreak 0x%s\n'
    for _ in $(seq $([ $name = st7735 ] && echo 5 || echo 4)); do script+='run\nstate\nrun\nstate\n'; done
    counts=$(printf "${script}quit\n" "$(at _start)" "$(at _stop)" | timeout 60 s51 -t 8052 "$work/build/$name.ihx" 2>&1 |
        awk '/^Inst=/ {print $2}' | awk 'NR % 2 {start = $1; next} {printf "%d ", $1 - start}')
    read -r -a each <<<"$counts"
    if [ $name = st7735 ]; then
        echo "st7735: a 160 x 128 photograph copied in ${each[0]} instructions; a glyph: mono ${each[1]}, gray4 ${each[2]} and ${each[3]}, mono ${each[4]}"
        [ $((each[0])) -le $((8 * 40960)) ] || fail "copying 40960 bytes takes ${each[0]} instructions, more than 8 a byte"
        each=("${each[@]:1}")
        most=5000
    else
        echo "ssd1322: a glyph: mono ${each[0]}, gray4 ${each[1]} and ${each[2]}, mono ${each[3]}"
        most=3300
        # gray4 glyphs on a gray4 frame, at an even column and an odd one
        for count in "${each[1]}" "${each[2]}"; do
            [ "$count" -le 3000 ] || fail "a 16 x 16 gray4 glyph on the $name takes $count instructions, more than 3000"
        done
    fi
    [ "${#each[@]}" -ge 4 ] || fail "the simulator did not count the $name glyphs' instructions: $counts"
    for count in "${each[@]:0:4}"; do
        [ "$count" -le "$most" ] || fail "a 16 x 16 glyph on the $name takes $count instructions, more than $most"
    done
done
