#!/usr/bin/env bash
# The converter in an 8051 firmware build, with SDCC:
# - C51 arrays named with --name compile in both dialects (SDCC spells the keyword __code; with -Dcode=__code it
#   also reads the classic spelling);
# - the example under examples/sdcc-logo, built through the CMake module, holds at `logo` in its Intel HEX image
#   exactly the bytes the converter's --format hex writes, and is built again when the picture changes.
#   sdcc.sh TESSALINE_CLI BUILD_DIR SOURCE_DIR      (exit 77, skipped, without sdcc)
set -euo pipefail
cli=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd)
command -v sdcc >/dev/null || { echo "sdcc is not installed (scripts/install-deps installs it)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

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
sdcc -mmcs51 -c -o "$work/strange.rel" "$work/strange.c" || fail "SDCC refuses the C51 of a strange name"
grep -q "^S _logo " "$work/strange.rel" || fail "no symbol logo in the C51 of a strange name"
! grep -q "^S _injected " "$work/strange.rel" || fail "a picture's name put a symbol into the firmware"

cmake -S "$work/example" -B "$work/build" -G Ninja -DTessaline_DIR="$build" >/dev/null
cmake --build "$work/build" >/dev/null
image=$work/build/logo_demo.ihx
address=$(awk '$1 == "C:" && $3 == "_logo" {print $2}' "$work/build/logo_demo.map")
[ -n "$address" ] || fail "no symbol logo in the map"
expected=$("$cli" --format hex --layout vertical "$picture" | od -An -v -tx1 | tr -d ' \n')
# The image's bytes from `address` on, as many as expected: data records (type 00) under extended linear
# address records (type 04).
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

touch -d "now + 2 seconds" "$picture" # past the file system's clock tick, whatever its grain
ninja -C "$work/build" -n >"$work/plan"
grep -q "Converting" "$work/plan" || fail "a changed picture is not converted again"
echo "ok: both dialects compile; the firmware holds the converter's $((${#expected} / 2)) bytes at 0x$address"
