#!/usr/bin/env bash
# --compress lz and the 8051's unlz4(): frames the converter packs as LZ4 blocks, unpacked by unlz4() on the host
# and in SDCC's 8051 simulator, are the converter's frames unpacked, byte for byte (an animation in rows and in
# pages, and stored as changes (--delta, with key frames too), a grey picture of an odd width, RGB565 in both byte
# orders), and --compress auto's choice, the least of PackBits, LZ4 and the frames as they are, unpacked as its
# header says (NAME_CODEC); damaged blocks (cut short, bytes changed,
# made up) unpacked on the host under AddressSanitizer never write outside the frame.
#   lz.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR      (exit 77, skipped, without sdcc)
set -euo pipefail
cli=$1 source=$(cd "$3" && pwd)
command -v sdcc >/dev/null || { echo "sdcc is not installed (scripts/install-deps installs it)"; exit 77; }
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
[ -z "${KEEP:-}" ] || echo "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
cd "$work"
cat >main.c <<'C'
#include "pic.h"
#include "unlz4.h"
#include "unpackbits.h"
unsigned char TESSALINE_XDATA frames[PIC_FRAMES][PIC_BYTES];
/* Frame k unpacked; stored as its change from the one before (--delta), that frame XORed with it. */
/* Unpacked as the header says it was packed (--compress auto chooses). */
static void unpack(unsigned int k)
{
#if PIC_CODEC == TESSALINE_LZ4
    unlz4(frames[k], pic + pic_offsets[k], PIC_BYTES);
#elif PIC_CODEC == TESSALINE_PACKBITS
    unpackbits(frames[k], pic + pic_offsets[k], PIC_BYTES);
#else
    unsigned int i;
    for (i = 0; i < PIC_BYTES; ++i)
        frames[k][i] = pic[pic_offsets[k] + i];
#endif
}
static void play(unsigned int k)
{
#ifdef PIC_KEY_EVERY
    unsigned int i;
    unpack(k);
    if (k % PIC_KEY_EVERY)
        for (i = 0; i < PIC_BYTES; ++i)
            frames[k][i] ^= frames[k - 1][i];
#else
    unpack(k);
#endif
}
#ifdef __SDCC
void main(void)
{
    unsigned char k;
    for (k = 0; k < PIC_FRAMES; ++k)
        play(k);
    for (;;)
        ;
}
#else
#include <stdio.h>
int main(void)
{
    unsigned int k, i;
    for (k = 0; k < PIC_FRAMES; ++k) {
        play(k);
        for (i = 0; i < PIC_BYTES; ++i)
            printf("%02x", frames[k][i]);
    }
    return 0;
}
#endif
C
walk=$source/docs/cookbook/walk.gif
/usr/bin/python3 -c "
import random
from PIL import Image
random.seed(1)
Image.frombytes('L', (64, 32), bytes(random.randrange(256) for _ in range(2048))).save('noise.png')"
for case in "autowalk --frames --display ssd1306 --invert $walk" "autoicon --pixel rgb565 $source/docs/cookbook/icon.png" \
    "autonoise --pixel gray8 noise.png" \ "walk --frames $walk" "pages --frames --layout vertical $walk" "delta --frames --delta $walk" \
    "keys --frames --delta --key-every 3 --display ssd1306 $walk" "wholes --frames --delta --key-every 1 $walk" \
    "grey --pixel gray4 --resize 61x40 --pad $source/docs/cookbook/icon.png" \
    "rgb --pixel rgb565 $source/docs/cookbook/icon.png" \
    "little --pixel rgb565 --byte-order little $source/docs/cookbook/icon.png"; do
    set -- $case
    name=$1
    shift
    expected=$("$cli" $(printf '%s\n' "$@" | grep -v -e '^--delta$' | tr '\n' ' ' | sed 's/--key-every [0-9]*//') -f hex |
        od -An -v -tx1 | tr -d ' \n')
    mkdir -p "$name/host" "$name/sdcc"
    codec=$([ "${name#auto}" != "$name" ] && echo auto || echo lz)
    "$cli" "$@" --compress $codec -f c51 --c-dialect c --name pic --header "$name/host/pic.h" -o "$name/host/pic.c"
    gcc -std=c90 -I"$name/host" -I"$source/cmake" -o "$name/host/main" main.c "$name/host/pic.c" "$source/cmake/unlz4.c" \
        "$source/cmake/unpackbits.c"
    [ "$("$name/host/main")" = "$expected" ] || fail "$name: unlz4 on the host unpacks other bytes than the converter's"
    "$cli" "$@" --compress $codec -f c51 --c-dialect sdcc --name pic --header "$name/sdcc/pic.h" -o "$name/sdcc/pic.c"
    (cd "$name/sdcc" && sdcc -mmcs51 -I. -I"$source/cmake" -c pic.c && sdcc -mmcs51 -I. -I"$source/cmake" \
        -c "$source/cmake/unlz4.c" -o unlz4.rel && sdcc -mmcs51 -I. -I"$source/cmake" -c \
        "$source/cmake/unpackbits.c" -o unpackbits.rel && sdcc -mmcs51 -I. -I"$source/cmake" "$work/main.c" pic.rel \
        unlz4.rel unpackbits.rel -o main.ihx) >/dev/null || fail "$name: the firmware does not build"
    if [ $codec = auto ]; then # the smallest of the three: never past PackBits's, nor the frames as they are
        auto=$("$cli" "$@" --compress auto -f hex | wc -c)
        packbits=$("$cli" "$@" --compress packbits -f hex 2>/dev/null | wc -c)
        lz=$("$cli" "$@" --compress lz -f hex 2>/dev/null | wc -c)
        least=$(printf '%s\n' $packbits $lz $((${#expected} / 2)) | sort -n | head -1)
        [ "$auto" = "$least" ] || fail "$name: --compress auto writes $auto bytes, not the least of $packbits, $lz and raw"
        echo "$name: --compress auto chose $(awk '$2 == "PIC_CODEC" {print $3}' "$name/host/pic.h") ($auto bytes)"
    fi
    at=$(awk '$3 == "_frames" {print $2}' "$name/sdcc/main.map")
    drawn=$("$here/xram.sh" "$name/sdcc/main.ihx" $((16#$at)) $((${#expected} / 2)) 4000000)
    [ "$drawn" = "$expected" ] || fail "$name: unlz4 in the simulator unpacks other bytes than the converter's"
done

# Its cost on the 8051: at most 300 bytes of code and 8 of internal RAM; at most 30 machine cycles a byte unpacked,
# in the simulator (12 clocks a cycle), on the cookbook's RGB565 icon, SSD1306 splash and SSD1322 photograph.
sdcc -mmcs51 -I"$source/cmake" -c "$source/cmake/unlz4.c" -o unlz4.rel
code=$((16#$(awk '$1 == "A" && $2 == "CSEG" {print $4}' unlz4.rel)))
ram=$((16#$(awk '$1 == "A" && $2 == "DSEG" {print $4}' unlz4.rel) + 16#$(awk '$1 == "A" && $2 == "OSEG" {print $4}' unlz4.rel)))
echo "unlz4: $code bytes of code, $ram of internal RAM"
[ "$code" -le 300 ] && [ "$ram" -le 8 ] || fail "unlz4 takes $code bytes of code and $ram of internal RAM, past 300 and 8"
cat >timed.c <<'C'
#include "pic.h"
#include "unlz4.h"
unsigned char TESSALINE_XDATA out[PIC_BYTES];
void start(void) {}
void stop(void) {}
void main(void)
{
    start();
    unlz4(out, pic + pic_offsets[0], PIC_BYTES);
    stop();
    for (;;)
        ;
}
C
cookbook=$source/docs/cookbook
for asset in "--pixel rgb565 $cookbook/icon.png" "--display ssd1306 --fit --threshold 128 $cookbook/splash.png" \
    "--display ssd1322 --fit $cookbook/astronaut.jpg"; do
    rm -rf timed && mkdir timed
    "$cli" $asset --compress lz -f c51 --c-dialect sdcc --name pic --header timed/pic.h -o timed/pic.c
    (cd timed && sdcc -mmcs51 -I"$source/cmake" -c pic.c && sdcc -mmcs51 -I. -I"$source/cmake" ../timed.c pic.rel \
        ../unlz4.rel -o timed.ihx) >/dev/null || fail "the timed firmware does not build"
    at() { awk -v s="$1" '$3 == s {print $2}' timed/timed.map; }
    clocks=$(printf 'break 0x%s\nbreak 0x%s\nrun\nstate\nrun\nstate\nquit\n' "$(at _start)" "$(at _stop)" |
        timeout 60 s51 -t 8052 timed/timed.ihx 2>&1 | grep "Total time" | grep -o '([0-9]* clks)' | tr -dc '0-9\n')
    bytes=$(awk '$2 == "PIC_BYTES" {print $3}' timed/pic.h)
    cycles=$(echo $clocks | awk -v b="$bytes" '{printf "%d", ($2 - $1) / 12 * 10 / b}') # tenths of a cycle
    echo "unlz4: $((cycles / 10)).$((cycles % 10)) machine cycles a byte on $asset"
    [ "$cycles" -gt 0 ] && [ "$cycles" -le 300 ] || fail "unlz4 takes $cycles tenths of a cycle a byte on $asset, past 30"
done

# Damaged blocks in the simulator: the frame between two guards of 0xA5, which stay as they were.
/usr/bin/python3 - "$cli" "$walk" >damaged8051.c <<'PY'
import random, subprocess, sys
block = subprocess.run([sys.argv[1], "--frames", "--compress", "lz", "-f", "hex", sys.argv[2]], capture_output=True).stdout[:120]
random.seed(20261209)
blocks = []
for k in range(24):
    b = bytearray(block)
    if k % 3 == 0:
        b = b[:random.randrange(len(b))] + bytes(64)
    elif k % 3 == 1:
        for _ in range(1 + k % 8):
            b[random.randrange(len(b))] = random.randrange(256)
    else:
        b = bytearray(random.randrange(256) for _ in range(len(b))) + bytes(64)
    blocks.append(bytes(b) + bytes(512))
# and a match that would reach before the frame (one literal, then an offset of 5): unpacking stops at it
blocks.append(bytes([0x14, 0x11, 5, 0]) + bytes(512))
print('#include "unlz4.h"')
for k, b in enumerate(blocks):
    print("static const unsigned char __code b%d[%d] = {%s};" % (k, len(b), ",".join(str(x) for x in b)))
print("static const unsigned char __code *const __code blocks[%d] = {%s};" % (len(blocks), ",".join("b%d" % k for k in range(len(blocks)))))
print("""unsigned char __xdata guarded[768];
unsigned char __xdata broken;
void main(void)
{
    unsigned int i, count;
    unsigned char k;
    for (k = 0; k < %d; ++k) {
        count = k %% 4 ? 8 + k : 256; /* short frames too, which a long run would pass */
        for (i = 0; i < 768; ++i)
            guarded[i] = i < 256 || i >= 256 + count ? 0xA5 : 0;
        unlz4(guarded + 256, blocks[k], count);
        for (i = 0; i < 768; ++i)
            if ((i < 256 || i >= 256 + count) && guarded[i] != 0xA5)
                broken = k + 1;
    }
    for (i = 257; i < 256 + count; ++i) /* the last block: its literal, then nothing */
        if (guarded[i])
            broken = k;
    broken |= 0x80;
    for (;;)
        ;
}""" % len(blocks))
PY
{ sdcc -mmcs51 -I"$source/cmake" -c damaged8051.c -o damaged8051.rel &&
    sdcc -mmcs51 damaged8051.rel unlz4.rel -o damaged8051.ihx; } >/dev/null || fail "the damaged-block firmware does not build"
broken=$("$here/xram.sh" damaged8051.ihx $((16#$(awk '$3 == "_broken" {print $2}' damaged8051.map))) 1 20000000)
[ "$broken" = 80 ] || fail "unlz4 in the simulator wrote outside the frame on damaged block $((16#$broken & 127)) (or did not finish: $broken)"

# Damaged blocks, under AddressSanitizer: the frame exactly as large as it is (on the heap), the source followed by
# room enough that a damaged count reads only what is there.
cat >damaged.c <<'C'
#include "unlz4.h"
#include <stdlib.h>
#include <string.h>
int main(int argc, char **argv)
{
    static unsigned char block[70000];
    unsigned int count = (unsigned int)atoi(argv[1]), round, i;
    unsigned char *frame;
    size_t size = fread(block, 1, 4096, stdin);
    srand(20261209);
    for (round = 0; round < 3000; ++round) {
        unsigned char copy[70000];
        memcpy(copy, block, sizeof copy);
        if (round % 3 == 0) /* cut short */
            memset(copy + rand() % (size + 1), 0, 4096);
        else if (round % 3 == 1) /* bytes changed */
            for (i = 0; i < 1 + round % 8; ++i)
                copy[rand() % size] = (unsigned char)rand();
        else /* made up */
            for (i = 0; i < size; ++i)
                copy[i] = (unsigned char)rand();
        frame = malloc(count);
        unlz4(frame, copy, count);
        free(frame);
    }
    return 0;
}
C
sed -i 's/#include <string.h>/#include <string.h>\n#include <stdio.h>/' damaged.c
gcc -std=c99 -fsanitize=address,undefined -fno-sanitize-recover=all -I"$source/cmake" -o damaged damaged.c \
    "$source/cmake/unlz4.c" || fail "the damaged-block test does not build"
"$cli" --frames --compress lz -f hex "$walk" | head -c 120 | ./damaged 256 ||
    fail "unlz4 wrote outside the frame on a damaged block"
echo "LZ4 blocks unpacked on the host and in the simulator as the converter packed them; damaged ones kept in the frame"
