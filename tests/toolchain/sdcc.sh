#!/usr/bin/env bash
# The converter in an 8051 firmware build, with SDCC:
# - C51 arrays named with --name compile in both dialects (SDCC spells the keyword __code; with -Dcode=__code it
#   also reads the classic spelling), and a picture's strange name puts nothing into the firmware;
# - the example under examples/sdcc-logo, built through the CMake module with a generated header, holds at
#   `logo` in its Intel HEX image exactly the bytes the converter's --format hex writes, and, run in SDCC's 8051
#   simulator, copies them into its display buffer;
# - it is built again when the picture changes, and no longer compiles when the picture changes size;
# - two checkouts in different folders generate the same sources (SOURCE_DATE_EPOCH set);
# - the text example, its glyphs (ink boxes) and its menu's lines (glyph indices) made by tessaline_add_font,
#   draws the lines at any pixel in the simulator exactly as an independent drawing of them with the font shows;
# - the module refuses at configure time a name that is not a C identifier, a name used twice and a missing
#   picture, each naming the call, and hands back the generated file's path.
# - the animation example unpacks, in the simulator, every frame of an animated GIF the test makes (disposal 2
#   and 3, clear pixels) exactly as the converter composes them, and is smaller packed than not; its decoder
#   compiles in the classic compilers' dialect too;
# - a glyph table as an sdas module, and its include file, assemble and link with an SDCC C program, which reads
#   the converter's bytes and words from it.
#   sdcc.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR MAKE_ANIMATION DRAW_TEXT      (exit 77, skipped, without sdcc)
set -euo pipefail
cli=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd) makeAnimation=$4 drawText=$5
command -v sdcc >/dev/null || { echo "sdcc is not installed (scripts/install-deps installs it)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
here=$(dirname "$0")

cp -r "$source/examples/sdcc-logo" "$work/example"
picture=$work/example/logo.bmp
for dialect in keil sdcc; do
    "$cli" --format c51 --name logo --c-dialect $dialect -o "$work/$dialect.c" "$picture"
    sdcc -mmcs51 -Dcode=__code -c -o "$work/$dialect.rel" "$work/$dialect.c" || fail "SDCC refuses the $dialect dialect"
done

# A picture whose name would close the header's comment and declare code of its own: it stays in the comment.
injected="$work/x*/ const char injected[] = \"owned\"; /*.bmp"
mkdir -p "$(dirname "$injected")"
cp "$picture" "$injected"
"$cli" --format c51 --name logo --c-dialect sdcc -o "$work/strange.c" "$injected"
sdcc -mmcs51 -c -o "$work/strange.rel" "$work/strange.c" 2>/dev/null || fail "SDCC refuses the C51 of a strange name"
grep -q "^S _logo " "$work/strange.rel" || fail "no symbol logo in the C51 of a strange name"
! grep -q "^S _injected " "$work/strange.rel" || fail "a picture's name put a symbol into the firmware"

export SOURCE_DATE_EPOCH=1037369109
cmake -S "$work/example" -B "$work/build" -G Ninja -DTessaline_DIR="$build" >/dev/null
cmake --build "$work/build" >/dev/null
image=$work/build/logo_demo.ihx
expected=$("$cli" --format hex --layout vertical "$picture" | od -An -v -tx1 | tr -d ' \n')
# The image's bytes at `logo`, as many as expected: data records (type 00) under extended linear address
# records (type 04).
address=$(awk '$1 == "C:" && $3 == "_logo" {print $2}' "$work/build/logo_demo.map")
[ -n "$address" ] || fail "no symbol logo in the map"
actual=$(awk -v start="$address" -v count=$((${#expected} / 2)) '
    function hex(s,   i, v) { v = 0; for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789ABCDEF", toupper(substr(s, i, 1))) - 1; return v }
    BEGIN { start = hex(start) }
    /^:/ {
        n = hex(substr($0, 2, 2)); at = hex(substr($0, 4, 4)); type = hex(substr($0, 8, 2))
        if (type == 4) upper = hex(substr($0, 10, 4)) * 65536
        if (type == 0) for (i = 0; i < n; i++) memory[upper + at + i] = tolower(substr($0, 10 + 2 * i, 2))
    }
    END { for (i = 0; i < count; i++) printf "%s", memory[start + i] }' "$image")
[ "$actual" = "$expected" ] || fail "the image's logo differs from the converter's bytes"
# What the firmware copied into its display buffer, in the simulator.
display=$(awk '$3 == "_display" {print $2}' "$work/build/logo_demo.map")
[ -n "$display" ] || fail "no symbol display in the map"
shown=$("$here/xram.sh" "$image" $((16#$display)) $((${#expected} / 2)))
[ "$shown" = "$expected" ] || fail "the firmware's display buffer differs from the converter's bytes"

grep -q -- "--encoding utf-8" "$work/build/build.ninja" || fail "the module leaves the encoding to the locale"
# Another checkout, elsewhere: the same generated sources.
cp -r "$source/examples/sdcc-logo" "$work/elsewhere"
cmake -S "$work/elsewhere" -B "$work/elsewhere/build" -G Ninja -DTessaline_DIR="$build" >/dev/null
cmake --build "$work/elsewhere/build" >/dev/null
for file in logo.c logo.h; do
    cmp -s "$work/build/tessaline-logo_demo/$file" "$work/elsewhere/build/tessaline-logo_demo/$file" ||
        fail "$file depends on where the project lies"
done

touch -d "now + 2 seconds" "$picture" # past the file system's clock tick, whatever its grain
ninja -C "$work/build" -n >"$work/plan"
grep -q "Converting" "$work/plan" || fail "a changed picture is not converted again"
# A picture of another size: the header changes with it, and the firmware's check stops the build.
cp "$source/examples/sdcc-logo/logo.bmp" "$picture"
printf '\x40' | dd of="$picture" bs=1 seek=18 conv=notrunc 2>/dev/null # width 128 becomes 64
touch -d "now + 4 seconds" "$picture"
if cmake --build "$work/build" >"$work/rebuild" 2>&1; then
    fail "a picture of another size still builds"
fi
grep -q "the logo must be that size" "$work/rebuild" || fail "the size check did not stop the build: $(tail -5 "$work/rebuild")"

# The text example: the lines of its menu drawn by the firmware with the drawing runtime (tessaline_string), in
# the simulator, into its frame buffer (128 x 64, in an SSD1306's pages, and again in rows), each from where main.c
# puts it, are, bit for bit, the same lines drawn by the test's own route from the font's glyphs, and by the
# converter's --render.
font=/usr/share/fonts/X11/misc/wenquanyi_12pt.pcf
[ -f "$font" ] || fail "the WenQuanYi bitmap font is missing (scripts/install-deps installs xfonts-wqy)"
cp -r "$source/examples/sdcc-text" "$work/text"
for layout in vertical horizontal; do
    cmake -S "$work/text" -B "$work/text/$layout" -G Ninja -DTessaline_DIR="$build" -DLAYOUT=$layout >/dev/null
    cmake --build "$work/text/$layout" >/dev/null
    frame=$(awk '$3 == "_tessaline_frame" {print $2}' "$work/text/$layout/text_demo.map")
    [ -n "$frame" ] || fail "no symbol tessaline_frame in the text example's map"
    drawn=$("$here/xram.sh" "$work/text/$layout/text_demo.ihx" $((16#$frame)) 1024)
    # The program with the runtime keeps its stack within a plain 8051's 128 bytes of internal RAM: past them, a
    # return address would be lost (the linker does not say so).
    peak=$(printf 'step 2000000\nstate\nquit\n' | timeout 60 s51 -t 8051 "$work/text/$layout/text_demo.ihx" 2>&1 |
        awk '/Max value of stack pointer/ {sub(/,.*/, "", $6); print $6}')
    [ -n "$peak" ] && [ $((peak)) -le $((0x7F)) ] ||
        fail "the text example's stack reaches ${peak:-?} in $layout layout, past the 8051's internal RAM"
    rows=$([ $layout = horizontal ] && echo --rows || true)
    model=$("$drawText" $rows "$font" "$work/text/menu.txt" 3,2 10,21 0,45)
    [ "$model" != "$(printf '%02048d' 0)" ] || fail "the test's drawing of the menu is empty"
    # The menu drawn by the model, and by the converter's --render at the same places in the same layout; then the
    # icon and the walk as PIL reads them (dark pixels ink, the icon where its alpha is at least 128; each frame of
    # the walk cleared before the next), over either.
    rendered=$("$cli" --font "$font" --strings "$work/text/menu.txt" --render --at 3,2,10,21,0,45 --canvas 128x64 \
        --layout $layout -f hex | od -An -v -tx1 | tr -d ' \n')
    [ "$rendered" = "$model" ] || fail "--render draws the menu otherwise than the font's own drawing"
    screen=$(/usr/bin/python3 - "$model" $layout "$work/text/icon.png" "$work/text/walk.gif" <<'PYTHON'
import sys
from PIL import Image, ImageSequence
frame, layout = bytearray.fromhex(sys.argv[1]), sys.argv[2]
def at(x, y):
    return (y // 8 * 128 + x, 1 << y % 8) if layout == "vertical" else (y * 16 + x // 8, 0x80 >> x % 8)
def put(x, y, ink):
    i, bit = at(x, y)
    frame[i] = frame[i] | bit if ink else frame[i] & ~bit
def dark(p):
    return 299 * p[0] + 587 * p[1] + 114 * p[2] < 128000
icon = Image.open(sys.argv[3]).convert("RGBA")
for y in range(icon.height):
    for x in range(icon.width):
        if icon.getpixel((x, y))[3] >= 128:
            put(60 + x, 18 + y, dark(icon.getpixel((x, y))))
previous = None
for step in ImageSequence.Iterator(Image.open(sys.argv[4])):
    walk = step.convert("RGB")
    for y in range(walk.height):
        for x in range(walk.width):
            if previous and dark(previous.getpixel((x, y))) and 100 + x < 128:
                put(100 + x, 44 + y, False)
    for y in range(walk.height):
        for x in range(walk.width):
            if dark(walk.getpixel((x, y))) and 100 + x < 128:
                put(100 + x, 44 + y, True)
    previous = walk
print(frame.hex())
PYTHON
)
    [ "$drawn" = "$screen" ] || fail "the screen the firmware drew in $layout layout differs from the model's"
done

# A table of 255 glyphs or more: its strings hold 16-bit indices ended by 0xFFFF, which tessaline_string16 draws,
# here the line's glyphs past index 255 among 256 of CJK's first block; the frame is the converter's --render.
mkdir "$work/wide"
printf '\xe4\xb8\x80\xe4\xb9\x9d\xe4\xba\x94 A\n' >"$work/wide/line.txt" # 一九五 A
cat >"$work/wide/main.c" <<'C'
#include "hz.h"
#include "tessaline_draw.h"
static const tessaline_font TESSALINE_CODE font = TESSALINE_CROPPED_FONT(hz, HZ);
void main(void)
{
    tessaline_string16(&font, hz_s0, 3, 2, TESSALINE_SET);
    for (;;)
        ;
}
C
printf 'cmake_minimum_required(VERSION 3.19)\nset(CMAKE_TOOLCHAIN_FILE %s)\nproject(wide C)\nfind_package(Tessaline REQUIRED)\nadd_executable(wide main.c)\ntessaline_add_draw(wide)\ntessaline_add_font(wide hz FONT %s STRINGS line.txt HEADER OPTIONS --range U+4E00-U+4EFF --missing blank --index unicode --crop --layout vertical)\n' \
    "$source/examples/sdcc-logo/sdcc.cmake" "$font" >"$work/wide/CMakeLists.txt"
cmake -S "$work/wide" -B "$work/wide/build" -G Ninja -DTessaline_DIR="$build" >/dev/null
cmake --build "$work/wide/build" >/dev/null
grep -q "HZ_END 0xFFFF" "$work/wide/build/tessaline-wide/hz.h" || fail "a table of more than 255 glyphs does not end its strings with 0xFFFF"
frame=$(awk '$3 == "_tessaline_frame" {print $2}' "$work/wide/build/wide.map")
drawn=$("$here/xram.sh" "$work/wide/build/wide.ihx" $((16#$frame)) 1024)
rendered=$("$cli" --font "$font" --strings "$work/wide/line.txt" --render --at 3,2 --canvas 128x64 --layout vertical \
    -f hex | od -An -v -tx1 | tr -d ' \n')
[ "$rendered" != "$(printf '%02048d' 0)" ] || fail "--render draws the wide table's line empty"
[ "$drawn" = "$rendered" ] || fail "tessaline_string16 draws the line otherwise than --render"

# The runtime's speed, in the simulator's count of instructions, from the call to the return: a 16 x 16 glyph at a
# row that is not a multiple of 8 (in pages each of its bytes into two of the frame's), at one that is, and passing
# the frame's bottom. In pages at most 1600 each and none more than 1.3 times the fastest; in rows at most 2000.
mkdir "$work/speed"
cat >"$work/speed/main.c" <<'C'
#include "g.h"
#include "tessaline_draw.h"
static const tessaline_font TESSALINE_CODE font = TESSALINE_CELL_FONT(g, G);
void start(void) {}
void stop(void) {}
void main(void)
{
    start();
    tessaline_glyph(&font, 0, 5, 3, TESSALINE_SET);
    stop();
    start();
    tessaline_glyph(&font, 0, 30, 8, TESSALINE_SET);
    stop();
    start();
    tessaline_glyph(&font, 0, 60, 52, TESSALINE_SET);
    stop();
    /* and where a run of the frame's bytes crosses a 256-byte page of external RAM (the frame lies at 0x70 in
       pages, at 0x57 in rows) */
#if TESSALINE_DRAW_VERTICAL
    tessaline_glyph(&font, 0, 10, 11, TESSALINE_SET);
#else
    tessaline_glyph(&font, 0, 57, 10, TESSALINE_SET);
    tessaline_glyph(&font, 0, 65, 26, TESSALINE_SET);
#endif
    for (;;)
        ;
}
C
# One project, three displays: a firmware for each layout (pages, rows, a KS0108's pages), each with a frame of its
# own and a table of the same name.
{
    printf 'cmake_minimum_required(VERSION 3.19)\nset(CMAKE_TOOLCHAIN_FILE %s)\nproject(speed C)\nfind_package(Tessaline REQUIRED)\n' \
        "$source/examples/sdcc-logo/sdcc.cmake"
    for layout in vertical horizontal ks0108; do
        if [ $layout = ks0108 ]; then
            printf 'add_executable(%s main.c)\ntessaline_add_draw(%s LAYOUT vertical KS0108)\n' $layout $layout
        else
            printf 'add_executable(%s main.c)\ntessaline_add_draw(%s LAYOUT %s)\n' $layout $layout $layout
        fi
        printf 'tessaline_add_font(%s g FONT %s TEXT "你" HEADER OPTIONS --cell 16x16 --layout %s)\n' $layout "$font" \
            $([ $layout = horizontal ] && echo horizontal || echo vertical)
        printf 'target_link_options(%s PRIVATE --xram-loc %s)\n' $layout $([ $layout = horizontal ] && echo 0x57 || echo 0x70)
    done
} >"$work/speed/CMakeLists.txt"
cmake -S "$work/speed" -B "$work/speed/build" -G Ninja -DTessaline_DIR="$build" >/dev/null ||
    fail "one project with two displays' firmware is refused"
cmake --build "$work/speed/build" >/dev/null || fail "one project with two displays' firmware does not build"
# At most 1600 each, and none more than 1.3 times the fastest of them all, in any layout.
all=""
for layout in vertical horizontal ks0108; do
    at() { awk -v s="$1" '$3 == s {print $2}' "$work/speed/build/$layout.map"; }
    counts=$(printf 'break 0x%s\nbreak 0x%s\nrun\nstate\nrun\nstate\nrun\nstate\nrun\nstate\nrun\nstate\nrun\nstate\nquit\n' \
        "$(at _start)" "$(at _stop)" | timeout 20 s51 -t 8051 "$work/speed/build/$layout.ihx" 2>&1 |
        awk '/^Inst=/ {print $2}')
    read -r -a each <<<"$(echo $counts | awk '{print $2 - $1, $4 - $3, $6 - $5}')"
    [ "${#each[@]}" = 3 ] && [ "${each[0]}" -gt 0 ] || fail "the simulator did not count the glyphs' instructions: $counts"
    echo "a 16 x 16 glyph in $layout at row 3, at row 8, passing the bottom: ${each[*]} instructions"
    all="$all ${each[*]}"
    # And where it drew them: the cell's pixels from each place on, as the converter packs the cell.
    cell=$("$cli" --font "$font" --text "你" --cell 16x16 --layout $([ $layout = horizontal ] && echo horizontal || echo vertical) \
        -f hex | od -An -v -tx1 | tr -d ' \n')
    expected=$(/usr/bin/python3 -c "
cell, frame, pages = bytes.fromhex('$cell'), bytearray(1024), '$layout' != 'horizontal'
for (px, py) in ((5, 3), (30, 8), (60, 52)) + (((10, 11),) if pages else ((57, 10), (65, 26))):
    for y in range(16):
        for x in range(16):
            ink = cell[y // 8 * 16 + x] >> y % 8 & 1 if pages else cell[y * 2 + x // 8] >> (7 - x % 8) & 1
            fx, fy = px + x, py + y
            if ink and fy < 64:
                if pages:
                    frame[fy // 8 * 128 + fx] |= 1 << fy % 8
                else:
                    frame[fy * 16 + fx // 8] |= 0x80 >> fx % 8
print(frame.hex())")
    drawn=$("$here/xram.sh" "$work/speed/build/$layout.ihx" $((16#$(at _tessaline_frame))) 1024)
    [ "$drawn" = "$expected" ] ||
        fail "the cells drawn in $layout at (5, 3), (30, 8), (60, 52) and across a page of RAM are not the converter's cells there"
done
fastest=$(printf '%s\n' $all | sort -n | head -1)
for count in $all; do
    [ "$count" -le 1600 ] || fail "a 16 x 16 glyph takes $count instructions, more than 1600"
    [ $((10 * count)) -le $((13 * fastest)) ] ||
        fail "a 16 x 16 glyph takes $count instructions, more than 1.3 times the fastest, $fastest"
done

# SDCC's assembler: a glyph table made as an sdas module by the CMake module (FORMAT sdas HEADER), assembled by
# sdas8051 and linked first, before the C program, and then last (the module names SDCC's areas in their order, so its data
# still lies after the reset vector and the code), with a module of the test's own that reads a size from the
# include file; the program, which declares the module's arrays by the C header made beside the include file,
# copies the glyphs, the codes (words, the low byte first as SDCC keeps them) and that
# size into external RAM; in the simulator, they are the converter's.
mkdir "$work/asm"
printf '\t.module uses\n\t.include "t.inc"\n\t.globl _tbytes\n\t.area CONST   (CODE)\n_tbytes::\n\t.db T_BYTES\n' \
    >"$work/asm/uses.asm"
cat >"$work/asm/main.c" <<'C'
#include "t.h" /* the module's C header (--c-header): t[2][36], a line of the font of 18 rows, and t_codes */
extern __code unsigned char tbytes;
__xdata unsigned char out[72 + 4 + 1];
void main(void)
{
    unsigned char i;
    for (i = 0; i < 72; ++i)
        out[i] = t[i / 36][i % 36];
    out[72] = t_codes[1] >> 8;
    out[73] = t_codes[1] & 0xFF;
    out[74] = t_codes[0] >> 8;
    out[75] = t_codes[0] & 0xFF;
    out[76] = tbytes;
    for (;;)
        ;
}
C
glyphs=$("$cli" --font "$font" --text "A你" -f hex | od -An -v -tx1 | tr -d ' \n')
cat >"$work/asm/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.19)
set(CMAKE_TOOLCHAIN_FILE $source/examples/sdcc-logo/sdcc.cmake)
project(asm_demo C)
find_package(Tessaline REQUIRED)
add_executable(asm_demo main.c)
tessaline_add_font(asm_demo t FONT $font TEXT "A你" FORMAT sdas HEADER)
add_custom_command(OUTPUT uses.rel COMMAND sdas8051 -plosgff -I\${CMAKE_CURRENT_BINARY_DIR}/tessaline-asm_demo uses.rel
                           \${CMAKE_CURRENT_SOURCE_DIR}/uses.asm
                   DEPENDS uses.asm \${CMAKE_CURRENT_BINARY_DIR}/tessaline-asm_demo/t.inc VERBATIM)
set_source_files_properties(\${CMAKE_CURRENT_BINARY_DIR}/uses.rel PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
target_sources(asm_demo PRIVATE \${CMAKE_CURRENT_BINARY_DIR}/uses.rel)
CMAKE
cmake -S "$work/asm" -B "$work/asm/build" -G Ninja -DTessaline_DIR="$build" >/dev/null
cmake --build "$work/asm/build" >"$work/asm/log" 2>&1 || fail "the sdas module does not build: $(tail -5 "$work/asm/log")"
# CMake links objects it did not compile first; linked by hand, the module comes last.
ninja -C "$work/asm/build" -t commands asm_demo | tail -1 | grep 't\.rel.*main\.c\.rel' >/dev/null ||
    fail "the module is not linked before the C program"
(cd "$work/asm/build" && sdcc -mmcs51 CMakeFiles/asm_demo.dir/main.c.rel tessaline-asm_demo/t.rel uses.rel -o last.ihx \
    >/dev/null) ||
    fail "the sdas module does not link last"
for image in asm_demo last; do
    out=$(awk '$3 == "_out" {print $2}' "$work/asm/build/$image.map")
    copied=$("$here/xram.sh" "$work/asm/build/$image.ihx" $((16#$out)) 77)
    [ "$copied" = "${glyphs}c4e3004124" ] ||
        fail "the sdas module in $image.ihx, its data read from C: $copied, not ${glyphs}c4e3004124"
done

# The animation example, on a GIF the test makes: each frame the firmware unpacked, as it copied it aside, is the
# converter's frame, unpacked.
"$makeAnimation" "$work/walk.gif"
codeBytes() { awk '/^:/ && substr($0, 8, 2) == "00" {n += ("0x" substr($0, 2, 2)) + 0} END {print n}' "$1"; }
for packed in ON OFF; do
    cmake -S "$source/examples/sdcc-animation" -B "$work/animation-$packed" -G Ninja -DTessaline_DIR="$build" \
        -DANIMATION="$work/walk.gif" -DPACKED=$packed >/dev/null
    cmake --build "$work/animation-$packed" >/dev/null
done
image=$work/animation-ON/animation_demo.ihx
frames=$("$cli" --frames -f hex "$work/walk.gif" | od -An -v -tx1 | tr -d ' \n')
shown=$(awk '$3 == "_shown" {print $2}' "$work/animation-ON/animation_demo.map")
[ -n "$shown" ] || fail "no symbol shown in the animation example's map"
played=$("$here/xram.sh" "$image" $((16#$shown)) $((${#frames} / 2)) 5000000)
[ "$played" = "$frames" ] || fail "the frames the firmware unpacked differ from the converter's"
packedSize=$(codeBytes "$image") plainSize=$(codeBytes "$work/animation-OFF/animation_demo.ihx")
[ "$packedSize" -lt "$plainSize" ] || fail "packed frames make a firmware of $packedSize bytes, not less than $plainSize"
# The runtime in C90 and the classic compilers' dialect (their keywords spelled as SDCC's), in each frame layout.
sdcc -mmcs51 --std-c89 -U__SDCC -D__C51__ -Dcode=__code -Dxdata=__xdata -c -o "$work/classic.rel" \
    "$source/cmake/unpackbits.c" || fail "unpackbits.c does not compile in C90 and the classic compilers' dialect"
for layout in "1 0" "0 0" "1 1"; do
    set -- $layout
    sdcc -mmcs51 --std-c89 -U__SDCC -D__C51__ -Dcode=__code -Dxdata=__xdata -Dreentrant=__reentrant -DTESSALINE_DRAW_VERTICAL=$1 \
        -DTESSALINE_DRAW_KS0108=$2 -c -o "$work/classic.rel" "$source/cmake/tessaline_draw.c" 2>"$work/classic.log" ||
        fail "tessaline_draw.c ($layout) does not compile in C90 and the classic dialect: $(cat "$work/classic.log")"
done
# And the grey and colour frames' runtime (its C, as the classic compilers run it) and the displays' flushes.
for frame in "colour 2 -" "colour 5 -" "flush 0 1" "flush 0 6 -DTESSALINE_DRAW_KS0108=1" "flush 0 8 -DTESSALINE_DRAW_VERTICAL=0" \
    "flush 2 9" "flush 5 10"; do
    set -- $frame
    sdcc -mmcs51 --std-c89 -U__SDCC -U__SDCC_mcs51 -D__C51__ -Dcode=__code -Dxdata=__xdata -Dreentrant=__reentrant \
        -DTESSALINE_DRAW_PIXEL=$2 $([ "$3" = - ] || echo "-DTESSALINE_DRAW_DISPLAY=$3") ${4:-} -c -o "$work/classic.rel" \
        "$source/cmake/tessaline_$1.c" 2>"$work/classic.log" ||
        fail "tessaline_$1.c ($frame) does not compile in C90 and the classic dialect: $(cat "$work/classic.log")"
done

# The descriptor's checks hold in SDCC too: a table of RGB565 glyphs for a colour frame, and one of another
# version of the format, are refused where the descriptor is made.
"$cli" --font "$font" --text A --pixel rgb565 -f c51 --c-dialect sdcc --name wide --header "$work/wide565.h" -o /dev/null
sed 's/^#define WIDE_FORMAT_VERSION 1/#define WIDE_FORMAT_VERSION 0/; s/^#define WIDE_PIXEL_FORMAT .*//; s/^#define WIDE_BITS_PER_PIXEL 16/#define WIDE_BITS_PER_PIXEL 1/' \
    "$work/wide565.h" >"$work/wideold.h"
for table in wide565 wideold; do
    printf '#include "%s.h"\n#include "tessaline_draw.h"\nconst tessaline_font TESSALINE_CODE f = TESSALINE_CELL_FONT_NO_WIDTHS(wide, WIDE);\n' \
        $table >"$work/$table.c"
    ! sdcc -mmcs51 -I"$source/cmake" -DTESSALINE_DRAW_PIXEL=5 -c -o "$work/$table.rel" "$work/$table.c" 2>"$work/$table.log" ||
        fail "SDCC takes a descriptor of the table $table"
    grep -q negative "$work/$table.log" || fail "SDCC refuses the table $table for another reason: $(cat "$work/$table.log")"
done

# Configure-time checks of the module, each naming the call; and the generated file's path handed back.
mkdir "$work/checks"
cp "$source/examples/sdcc-logo/logo.bmp" "$work/checks/a.bmp"
configure() {
    printf 'cmake_minimum_required(VERSION 3.19)\nproject(checks NONE)\nfind_package(Tessaline 1.0 REQUIRED)\nadd_custom_target(pictures ALL)\n%s\n' "$1" >"$work/checks/CMakeLists.txt"
    rm -rf "$work/checks/build"
    cmake -S "$work/checks" -B "$work/checks/build" -DTessaline_DIR="$build" >"$work/checks/log" 2>&1
}
refused() {
    ! configure "$1" || fail "the module accepts: $1"
    # CMake wraps a message's lines: compared as one line.
    tr -s ' \n' '  ' <"$work/checks/log" | grep -F "$2" >/dev/null || fail "the module's refusal of '$1' does not say '$2'"
}
refused 'tessaline_add_picture(pictures 9logo a.bmp)' "tessaline_add_picture(pictures 9logo a.bmp): the name '9logo' is not a C identifier"
refused 'tessaline_add_picture(pictures int a.bmp FORMAT hex)' "the name 'int' is not a C identifier"
refused 'tessaline_add_picture(pictures xdata a.bmp FORMAT hex)' "the name 'xdata' is not a C identifier"
refused 'tessaline_add_picture(pictures a a.bmp)
tessaline_add_picture(pictures a a.bmp FORMAT hex)' "tessaline_add_picture(pictures a a.bmp): the name 'a' is taken already, by tessaline_add_picture(pictures a a.bmp)"
refused 'tessaline_add_picture(pictures p1 a.bmp HEADER)
tessaline_add_picture(pictures P1 a.bmp HEADER)' "the name 'P1' is 'p1' in capitals, as its header's guard and macros have it (P1_...), taken already by tessaline_add_picture(pictures p1 a.bmp)"
refused 'tessaline_add_font(pictures f1 FONT /usr/share/fonts/X11/misc/wenquanyi_12pt.pcf TEXT A)
tessaline_add_picture(pictures f1_codes a.bmp)' "the name 'f1_codes' is the name of a table of 'f1', by tessaline_add_font(pictures f1)"
refused 'tessaline_add_picture(pictures m_s12 a.bmp)
tessaline_add_font(pictures m FONT /usr/share/fonts/X11/misc/wenquanyi_12pt.pcf TEXT A)' "the name 'm' names a table 'm_s12' that is an array's name already, by tessaline_add_picture(pictures m_s12 a.bmp)"
refused 'tessaline_add_picture(pictures tessaline_frame a.bmp)' "the name 'tessaline_frame' starts as the drawing runtime's own names"
refused 'tessaline_add_font(pictures t FONT x TEXT "Temp;--size;40")' "tessaline_add_font(pictures t): TEXT may not hold a ';'"
refused 'tessaline_add_picture(pictures b b.bmp)' "tessaline_add_picture(pictures b b.bmp): there is no file"
refused 'tessaline_add_picture(pictures a a.bmp OPTIONS --name other)' "OPTIONS may not hold --name"
refused 'tessaline_add_picture(pictures a a.bmp HEADER OPTIONS --header x.h)' "OPTIONS may not hold --header"
refused 'tessaline_add_picture(pictures a a.bmp OPTIONS -o x.c)' "OPTIONS may not hold -o"
refused 'tessaline_add_picture(pictures a a.bmp FORMAT c51 OPTIONS --format=hex)' "OPTIONS may not hold --format: FORMAT gives the format"
refused 'tessaline_add_draw(pictures LAYOUT diagonal)' "tessaline_add_draw(pictures): LAYOUT is vertical or horizontal"
refused 'tessaline_add_draw(pictures HEIGHT 60)' "HEIGHT of pages is a multiple of 8, not 60"
refused 'tessaline_add_draw(pictures WIDTH 5000 LAYOUT horizontal)' "WIDTH is a number of pixels from 1 to 4095"
refused 'tessaline_add_draw(pictures WIDTH 4000 HEIGHT 400 LAYOUT horizontal)' "a frame of 4000 x 400 mono takes 200000 bytes, more than the 8051's 64 KiB of external RAM: WIDTH and HEIGHT give a smaller one"
refused 'tessaline_add_draw(pictures LAYOUT horizontal KS0108)' "KS0108 goes with LAYOUT vertical and WIDTH 128"
refused 'tessaline_add_draw(pictures PIXEL rgb888)' "PIXEL is mono, gray2, gray4, gray8, rgb332 or rgb565, not 'rgb888'"
refused 'tessaline_add_draw(pictures PIXEL gray4 LAYOUT vertical)' "a gray4 frame is in rows (LAYOUT horizontal), not 'vertical'"
refused 'tessaline_add_draw(pictures PIXEL rgb565 BYTE_ORDER middle)' "BYTE_ORDER is big or little, not 'middle'"
refused 'tessaline_add_draw(pictures PIXEL rgb565 WIDTH 4096)' "WIDTH is a number of pixels from 1 to 4095"
refused 'tessaline_add_draw(pictures DISPLAY ssd1036)' "DISPLAY is one of ssd1306, sh1106, ssd1309, st7565, uc1701, ks0108, pcd8544, st7920, ssd1322, st7735, st7789, ili9341, not 'ssd1036'"
refused 'tessaline_add_draw(pictures DISPLAY ili9341)' "a frame of 240 x 320 rgb565 takes 153600 bytes, more than the 8051's 64 KiB of external RAM"
refused 'tessaline_add_draw(pictures)
tessaline_add_draw(pictures LAYOUT horizontal)' "tessaline_add_draw(pictures): pictures has a frame already, by tessaline_add_draw(pictures); one frame a target"
configure 'tessaline_add_picture(pictures a a.bmp OPTIONS --format hex OUTPUT_VARIABLE made)
message(STATUS "made ${made}")' || fail "the module refuses --format without FORMAT: $(cat "$work/checks/log")"
grep -q "made $work/checks/build/tessaline-pictures/a.bin" "$work/checks/log" || fail "--format in OPTIONS without FORMAT is not the format"
configure 'tessaline_add_picture(pictures a a.bmp FORMAT hex OUTPUT_VARIABLE made)
message(STATUS "made ${made}")' || fail "the module refuses a good call: $(cat "$work/checks/log")"
grep -q "made $work/checks/build/tessaline-pictures/a.bin" "$work/checks/log" || fail "OUTPUT_VARIABLE does not hand back the file"
# Two targets (two displays' firmware) may take the same names: each has its files in a folder of its own.
configure 'add_custom_target(other ALL)
tessaline_add_picture(pictures a a.bmp FORMAT hex)
tessaline_add_picture(other a a.bmp FORMAT hex HEADER FORMAT c51)' ||
    fail "one name on two targets is refused: $(cat "$work/checks/log")"
# Touching one picture compiles again only the sources that include its header, as SDCC's preprocessor tells the
# build; and an SDCC project needs no --c-dialect.
mkdir "$work/deps"
cp "$source/examples/sdcc-logo/logo.bmp" "$work/deps/a.bmp"
cp "$source/examples/sdcc-logo/logo.bmp" "$work/deps/b.bmp"
printf '#include "a.h"\nint other(void);\nvoid main(void) { volatile unsigned char c = a[0] + other(); (void)c; for (;;); }\n' >"$work/deps/main.c"
printf '#include "b.h"\nint other(void) { return b[1]; }\n' >"$work/deps/other.c"
printf 'cmake_minimum_required(VERSION 3.19)\nset(CMAKE_TOOLCHAIN_FILE %s)\nproject(deps C)\nfind_package(Tessaline REQUIRED)\nadd_executable(deps main.c other.c)\ntessaline_add_picture(deps a a.bmp HEADER)\ntessaline_add_picture(deps b b.bmp HEADER)\n' \
    "$source/examples/sdcc-logo/sdcc.cmake" >"$work/deps/CMakeLists.txt"
cmake -S "$work/deps" -B "$work/deps/build" -G Ninja -DTessaline_DIR="$build" >/dev/null
cmake --build "$work/deps/build" >/dev/null || fail "a project with two headers does not build"
touch "$work/deps/a.bmp"
again=$(ninja -C "$work/deps/build" -n -d explain 2>&1 | grep -o '[a-z]*\.c\.rel' | sort -u | tr '\n' ' ')
[ "$again" = "a.c.rel main.c.rel " ] || fail "touching a.bmp compiles again: $again (a.c and main.c alone include a.h)"

echo "ok: both dialects compile; the firmware holds and copies the converter's $((${#expected} / 2)) bytes; the text firmware draws its menu as the font does; the animation plays ($packedSize bytes packed, $plainSize not)"
