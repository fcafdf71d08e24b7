#!/usr/bin/env bash
# examples/sdcc-displays, one firmware source for five displays (SSD1306, KS0108, ST7920, SSD1322, ST7735), built
# from one CMake project with its bus kept as a journal, each run in SDCC's 8051 simulator: its frame is the scene
# composed by scene.py from the converter's data, the menu's text its --render; and what it sent its controller,
# replayed into controllers.py's model of that controller's addressing, shows the frame, the start-up as asked and
# the second flush the ball's rows alone.
#   displays.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR      (exit 77, skipped, without sdcc)
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

cp -r "$source/examples/sdcc-displays" "$work/example"
cmake -S "$work/example" -B "$work/build" -G Ninja -DTessaline_DIR="$build" -DBUS=journal >"$work/log" 2>&1 ||
    fail "the displays example is refused: $(cat "$work/log")"
cmake --build "$work/build" >"$work/log" 2>&1 || fail "the displays example does not build: $(cat "$work/log")"
! grep -q "warning" "$work/log" || fail "the displays example builds with warnings: $(grep warning "$work/log" | head -3)"
# (and for the port, as a firmware would be built)
cmake -S "$work/example" -B "$work/port" -G Ninja -DTessaline_DIR="$build" >/dev/null 2>&1 &&
    cmake --build "$work/port" >"$work/log" 2>&1 || fail "the displays example does not build for the port: $(cat "$work/log")"

for display in ssd1306 ks0108 st7920 ssd1322 st7735; do
    case $display in
    ssd1322) width=256 height=64 bytes=8192 chip=8052 ;;
    st7735) width=128 height=160 bytes=40960 chip=8052 ;;
    *) width=128 height=64 bytes=1024 chip=8052 ;;
    esac
    at() { awk -v s="$1" '$3 == s {print $2}' "$work/build/$display.map"; }
    image=$work/build/$display.ihx
    frame=$((16#$(at _tessaline_frame)))
    drawn=$(CHIP=$chip "$here/xram.sh" "$image" "$frame" "$bytes")
    rendered=$("$cli" --font "$font" --strings "$work/example/menu.txt" --render --at 52,0,52,21,52,42 \
        --display $display -f hex | od -An -v -tx1 | tr -d ' \n')
    /usr/bin/python3 "$here/scene.py" $display $width $height "$drawn" "$rendered" "$work/build/tessaline-$display" ||
        fail "the $display frame is not the scene"
    length=$(CHIP=$chip "$here/xram.sh" "$image" $((16#$(at _journalLength))) 2)
    journal=$(CHIP=$chip "$here/xram.sh" "$image" $((16#$(at _journal))) $((16#${length:2:2}${length:0:2})))
    /usr/bin/python3 "$here/controllers.py" $display $width $height "$frame" "$drawn" "$journal" 0x7F 0 48 64 ||
        fail "the $display controller's model does not show the frame"
done
echo "five displays drew the scene and sent it to their controllers"
