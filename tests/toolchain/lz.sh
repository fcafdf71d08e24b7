#!/usr/bin/env bash
# --compress lz and the 8051's unlz4(): frames the converter packs as LZ4 blocks, unpacked by unlz4() on the host
# and in SDCC's 8051 simulator, are the converter's frames unpacked, byte for byte (an animation in rows and in
# pages, and stored as changes (--delta, with key frames too), a grey picture of an odd width, RGB565 in both byte
# orders); damaged blocks (cut short, bytes changed,
# made up) unpacked on the host under AddressSanitizer never write outside the frame.
#   lz.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR      (exit 77, skipped, without sdcc)
set -euo pipefail
cli=$1 source=$(cd "$3" && pwd)
command -v sdcc >/dev/null || { echo "sdcc is not installed (scripts/install-deps installs it)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
cd "$work"
cat >main.c <<'C'
#include "pic.h"
#include "unlz4.h"
unsigned char TESSALINE_XDATA frames[PIC_FRAMES][PIC_BYTES];
/* Frame k unpacked; stored as its change from the one before (--delta), that frame XORed with it. */
static void play(unsigned int k)
{
#ifdef PIC_KEY_EVERY
    unsigned int i;
    unlz4(frames[k], pic + pic_offsets[k], PIC_BYTES);
    if (k % PIC_KEY_EVERY)
        for (i = 0; i < PIC_BYTES; ++i)
            frames[k][i] ^= frames[k - 1][i];
#else
    unlz4(frames[k], pic + pic_offsets[k], PIC_BYTES);
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
for case in "walk --frames $walk" "pages --frames --layout vertical $walk" "delta --frames --delta $walk" \
    "keys --frames --delta --key-every 3 --display ssd1306 $walk" \
    "grey --pixel gray4 --resize 61x40 --pad $source/docs/cookbook/icon.png" \
    "rgb --pixel rgb565 $source/docs/cookbook/icon.png" \
    "little --pixel rgb565 --byte-order little $source/docs/cookbook/icon.png"; do
    set -- $case
    name=$1
    shift
    expected=$("$cli" $(printf '%s\n' "$@" | grep -v -e '^--delta$' | tr '\n' ' ' | sed 's/--key-every [0-9]*//') -f hex |
        od -An -v -tx1 | tr -d ' \n')
    mkdir -p "$name/host" "$name/sdcc"
    "$cli" "$@" --compress lz -f c51 --c-dialect c --name pic --header "$name/host/pic.h" -o "$name/host/pic.c"
    gcc -std=c90 -I"$name/host" -I"$source/cmake" -o "$name/host/main" main.c "$name/host/pic.c" "$source/cmake/unlz4.c"
    [ "$("$name/host/main")" = "$expected" ] || fail "$name: unlz4 on the host unpacks other bytes than the converter's"
    "$cli" "$@" --compress lz -f c51 --c-dialect sdcc --name pic --header "$name/sdcc/pic.h" -o "$name/sdcc/pic.c"
    (cd "$name/sdcc" && sdcc -mmcs51 --model-small -I. -I"$source/cmake" -c pic.c && sdcc -mmcs51 -I. \
        -I"$source/cmake" -c "$source/cmake/unlz4.c" -o unlz4.rel && sdcc -mmcs51 -I. -I"$source/cmake" \
        "$work/main.c" pic.rel unlz4.rel -o main.ihx) >/dev/null || fail "$name: the firmware does not build"
    at=$(awk '$3 == "_frames" {print $2}' "$name/sdcc/main.map")
    drawn=$("$here/xram.sh" "$name/sdcc/main.ihx" $((16#$at)) $((${#expected} / 2)) 4000000)
    [ "$drawn" = "$expected" ] || fail "$name: unlz4 in the simulator unpacks other bytes than the converter's"
done

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
