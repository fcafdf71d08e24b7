#!/usr/bin/env bash
# The frame sent to each display preset's controller, in SDCC's 8051 simulator: one CMake project builds a firmware
# for every preset from one source, which draws a glyph, starts the display (tessaline_init, a contrast and the
# picture turned), sends the whole frame, draws a box and sends what it drew (tessaline_flush). Its two bus
# functions (examples/sdcc-displays's bus.c) keep a journal in external RAM, which controllers.py replays into a
# model of the controller's addressing: the screen it shows is the frame, and the second flush sent the rows
# drawn, no others.
#   controllers.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR      (exit 77, skipped, without sdcc)
set -euo pipefail
cli=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd)
command -v sdcc >/dev/null || { echo "sdcc is not installed (scripts/install-deps installs it)"; exit 77; }
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
[ -z "${KEEP:-}" ] || echo "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
font=/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf
[ -f "$font" ] || { echo "the WenQuanYi bitmap font is not installed"; exit 77; }

cat >"$work/main.c" <<'C'
#include "g.h"
#include "tessaline_draw.h"
static const tessaline_font TESSALINE_CODE font = TESSALINE_CELL_FONT(g, G);
#include "bus.h" /* examples/sdcc-displays's bus, kept as a journal */
void main(void)
{
    tessaline_glyph(&font, 0, 5, 3, TESSALINE_RGB(255, 255, 255));
    tessaline_init(0x5A, 1);
    bus_mark('I');
    tessaline_flush_all();
    bus_mark('M');
    tessaline_fill(10, 20, 30, 9, TESSALINE_RGB(255, 255, 255));
    tessaline_flush();
    tessaline_flush(); /* nothing drawn since */
    for (;;)
        ;
}
C
# The module's presets are the converter's: the same pixel and layout, and the same screen but where a frame of
# whole pages is the glass's common 128 x 64 (the SH1106's 132 columns show 128; the ST7565's and UC1701's 132 x 65).
module=$(grep -o '"[a-z0-9]*|[0-9]*|[0-9]*|[a-z0-9]*|[a-z]*"' "$source/cmake/TessalineFunctions.cmake" | tr -d '"')
[ "$(echo "$module" | wc -l)" = 12 ] || fail "the module's table of displays is not found"
for row in $module; do
    IFS='|' read -r name width height pixel layout <<<"$row"
    read -r _ w _ h p l _ < <("$cli" --list-displays | awk -v n="$name" '$1 == n')
    case $name in sh1106 | st7565 | uc1701) w=128 h=64 ;; esac
    [ "$width $height $pixel $layout" = "$w $h $p $l" ] ||
        fail "the module's $name is $width x $height $pixel $layout, the converter's $w x $h $p $l"
done

presets="ssd1306 sh1106 ssd1309 st7565 uc1701 ks0108 pcd8544 st7920 ssd1322 st7735 st7789 ili9341"
{
    printf 'cmake_minimum_required(VERSION 3.19)\nset(CMAKE_TOOLCHAIN_FILE %s)\nproject(controllers C)\nfind_package(Tessaline REQUIRED)\n' \
        "$source/examples/sdcc-logo/sdcc.cmake"
    for preset in $presets; do
        size=""
        case $preset in st7789 | ili9341) size="WIDTH 120 HEIGHT 80" ;; esac # the top left corner of a big screen
        layout=""
        case $preset in ssd1306 | sh1106 | ssd1309 | st7565 | uc1701 | ks0108 | pcd8544) layout="--layout vertical" ;; esac
        printf 'add_executable(%s main.c %s/examples/sdcc-displays/bus.c)\n' $preset "$source"
        printf 'target_include_directories(%s PRIVATE %s/examples/sdcc-displays)\n' $preset "$source"
        printf 'target_compile_definitions(%s PRIVATE BUS_JOURNAL=1)\n' $preset
        printf 'tessaline_add_draw(%s DISPLAY %s %s)\n' $preset $preset "$size"
        printf 'tessaline_add_font(%s g FONT %s TEXT "你" HEADER OPTIONS --cell 16x16 %s)\n' $preset "$font" "$layout"
    done
} >"$work/CMakeLists.txt"
cmake -S "$work" -B "$work/build" -G Ninja -DTessaline_DIR="$build" >"$work/log" 2>&1 ||
    fail "the project of every display is refused: $(cat "$work/log")"
cmake --build "$work/build" >"$work/log" 2>&1 || fail "the project of every display does not build: $(cat "$work/log")"

for preset in $presets; do
    map=$work/build/$preset.map
    at() { awk -v s="$1" '$3 == s {print $2}' "$map"; }
    case $preset in
    pcd8544) width=84 height=48 ;;
    ssd1322) width=256 height=64 ;;
    st7735) width=128 height=160 ;;
    st7789 | ili9341) width=120 height=80 ;;
    *) width=128 height=64 ;;
    esac
    frame=$((16#$(at _tessaline_frame)))
    case $preset in
    ssd1322) bytes=$((width / 2 * height)) ;;
    st7735 | st7789 | ili9341) bytes=$((width * 2 * height)) ;;
    st7920) bytes=$(((width + 7) / 8 * height)) ;;
    *) bytes=$((width * ((height + 7) / 8))) ;;
    esac
    # The journal's length, then the journal and the frame; an 8052 where the frame is grey or colour.
    chip=8051
    case $preset in ssd1322 | st7735 | st7789 | ili9341) chip=8052 ;; esac
    length=$(CHIP=$chip "$here/xram.sh" "$work/build/$preset.ihx" $((16#$(at _journalLength))) 2)
    length=$((16#${length:2:2}${length:0:2}))
    [ "$length" -gt 0 ] || fail "the $preset firmware sent nothing"
    journal=$(CHIP=$chip "$here/xram.sh" "$work/build/$preset.ihx" $((16#$(at _journal))) "$length")
    drawn=$(CHIP=$chip "$here/xram.sh" "$work/build/$preset.ihx" "$frame" "$bytes")
    /usr/bin/python3 "$here/controllers.py" "$preset" "$width" "$height" "$frame" "$drawn" "$journal" ||
        fail "the $preset controller's model does not show the frame"
done
echo "12 controllers show the frame, and take the rows drawn since the last flush: $presets"
