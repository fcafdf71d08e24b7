#!/usr/bin/env bash
# The install, as the README describes it: cmake --install into a scratch prefix holds exactly the files the
# README lists; the manual pages read without a warning; the desktop entry is valid; the shell completion is
# installed (tst_options checks its options and values, and the manual's, against the table); find_package(Tessaline) from the prefix turns a picture into the converter's
# bytes, and the README's CMake recipe builds with the host's compiler; cpack -G DEB makes the two packages the README lists, each of its own files, with the dependencies it
# says, and lintian finds no error and no warning in them.
#   install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The README's list: the text block after the line that says what the install puts under the prefix, a package
# and a path a line.
awk '/puts these files under/ {found = 1; next} found && /^```/ {if (inside) exit; inside = 1; next} inside' \
    "$source/README.md" >"$work/listed"
[ -s "$work/listed" ] || fail "the README lists no installed files"
listed() { awk -v p="$1" '$1 == p || p == "" {print $2}' "$work/listed" | sort; }
# Files as they appear under a prefix (the exported targets' file is named after the build type; the README
# lists a Release build's).
normalised() { sed 's|^\./||; s|^usr/||; s|TessalineTargets-[a-z]*\.cmake$|TessalineTargets-release.cmake|' | sort; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
(cd "$work/prefix" && find . -type f | normalised) >"$work/installed"
diff -u <(listed "") "$work/installed" || fail "the install differs from the README's list"

for page in "$work"/prefix/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
desktop-file-validate "$work/prefix/share/applications/tessaline.desktop" || fail "the desktop entry is not valid"

# The manual and the completion against the option table: tst_options (unit). Here, the files as installed.
completion=$work/prefix/share/bash-completion/completions/tessaline-cli
[ -s "$completion" ] || fail "the completion is not installed"
# Every display --list-displays knows: completed, and in the README's table with the same properties.
"$work/prefix/bin/tessaline-cli" --list-displays | tail -n +2 | while read -r name width x height pixel layout bits bytes ink; do
    grep -q "\b$name\b" "$completion" || fail "the completion does not offer the display $name"
    grep -qF "| $name | $width x $height | $pixel | $layout | $bits | $bytes | $ink |" "$source/README.md" ||
        fail "the README's table of displays differs from --list-displays for $name"
done
mkdir "$work/use"
cat >"$work/use/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.19)
project(use NONE)
find_package(Tessaline ${VERSION} REQUIRED)
add_custom_target(pictures ALL)
tessaline_add_picture(pictures logo "${PICTURE}" FORMAT hex OPTIONS --layout vertical)
CMAKE
cmake -S "$work/use" -B "$work/use/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" -DVERSION="$version" \
    -DPICTURE="$source/examples/sdcc-logo/logo.bmp" >/dev/null
cmake --build "$work/use/build" >/dev/null
"$work/prefix/bin/tessaline-cli" --format hex --layout vertical "$source/examples/sdcc-logo/logo.bmp" >"$work/expected"
cmp -s "$work/expected" "$work/use/build/tessaline-pictures/logo.bin" || fail "find_package from the prefix gives other bytes"

# The README's CMake recipe, as it stands, built for the host by its own C compiler (GCC): the dialect follows it.
mkdir "$work/recipe"
awk '/assets through CMake/ {found = 1; next} found && /^```/ {if (inside) exit; inside = 1; next} inside' \
    "$source/README.md" >"$work/recipe/recipe.cmake"
grep -q tessaline_add_font "$work/recipe/recipe.cmake" || fail "the README has no CMake recipe"
cp "$source/docs/cookbook/logo.bmp" "$source/docs/cookbook/menu.txt" "$work/recipe/"
printf 'cmake_minimum_required(VERSION 3.19)\nproject(firmware C)\ninclude(recipe.cmake)\n' >"$work/recipe/CMakeLists.txt"
cat >"$work/recipe/main.c" <<'C'
#include "menu.h"
#include "splash.h"
#include <stdio.h>

int main(void)
{
    printf("%u %02x %u\n", (unsigned)SPLASH_BYTES, splash[0], (unsigned)menu_s0[0]);
    return 0;
}
C
cmake -S "$work/recipe" -B "$work/recipe/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
    -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null || fail "the README's CMake recipe does not configure"
cmake --build "$work/recipe/build" >"$work/recipe/log" 2>&1 || fail "the README's CMake recipe does not build: $(tail -5 "$work/recipe/log")"
first=$("$work/prefix/bin/tessaline-cli" -f hex --display ssd1306 --invert "$source/docs/cookbook/logo.bmp" | od -An -N1 -tx1 | tr -d ' ')
[ "$("$work/recipe/build/firmware")" = "1024 $first 0" ] || fail "the recipe's firmware read other bytes"

# The README's GB2312 recipe and its formula: 8178 cells of the bytes the formula says, the cell of (c1, c2) at
# ((c1 - 0xA1) x 94 + (c2 - 0xA1)) x those bytes; there, 你 (C4E3) as the font draws it alone in a cell as large.
recipe=$(awk '/The GB2312 library for an SPI flash/ {found = 1; next} found && /^```/ {if (inside) exit; inside = 1; next} inside' \
    "$source/README.md" | tr -d '\\\n')
cells=$(grep -o 'The GB2312 library for an SPI flash, [0-9]* bytes a code' "$source/README.md" | grep -o '[0-9]* bytes' | cut -d' ' -f1)
tr '\n' ' ' <"$source/README.md" | grep -qF "((c1 - 0xA1) x 94 + (c2 - 0xA1)) x $cells" || fail "the README's formula is not of $cells bytes"
(cd "$work" && eval "${recipe/tessaline-cli/\"$work/prefix/bin/tessaline-cli\"}") || fail "the README's GB2312 recipe fails"
[ "$(stat -c %s "$work/hzk16.bin")" = $((8178 * cells)) ] || fail "the GB2312 grid is not 8178 cells of $cells bytes"
side=$(awk "BEGIN {print sqrt($cells * 8)}")
alone=$("$work/prefix/bin/tessaline-cli" --font /usr/share/fonts/X11/misc/wenquanyi_12pt.pcf --text 你 --cell "${side}x$side" \
    -f hex | od -An -v -tx1 | tr -d ' \n')
at=$((((0xC4 - 0xA1) * 94 + 0xE3 - 0xA1) * cells))
[ "$(od -An -v -tx1 -j $at -N "$cells" "$work/hzk16.bin" | tr -d ' \n')" = "$alone" ] ||
    fail "the grid's cell of C4E3 is not where the README's formula puts 你"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
for package in tessaline-cli tessaline; do
    deb=$work/deb/${package}_${version}-1_amd64.deb
    [ -f "$deb" ] || fail "no package $package"
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | normalised >"$work/packaged"
    diff -u <(listed "$package") "$work/packaged" || fail "$package holds other files than the README lists"
done
for package in tessaline-cli tessaline; do
    dpkg-deb --fsys-tarfile "$work/deb/${package}_${version}-1_amd64.deb" | tar -xO "./usr/share/doc/$package/copyright" |
        grep -x "License: Expat" >/dev/null || fail "$package's copyright file does not grant the MIT (Expat) licence"
done
depends() { dpkg-deb -f "$work/deb/$1_${version}-1_amd64.deb" Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//'; }
for needed in libqt6core6 libjpeg62-turbo libgif7 libpng16-16 libswscale6; do
    depends tessaline-cli | grep -x "$needed" >/dev/null || fail "tessaline-cli does not depend on $needed"
done
! depends tessaline-cli | grep 'libqt6gui6\|libqt6widgets6' >/dev/null || fail "tessaline-cli depends on Qt's GUI"
for needed in tessaline-cli libqt6widgets6 qt6-translations-l10n fonts-wqy-microhei; do
    depends tessaline | grep -x "$needed" >/dev/null || fail "tessaline does not depend on $needed"
done
report=$(lintian --tag-display-limit 0 "$work"/deb/*.deb 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$report" ] || fail "lintian: $report"
echo "ok: $(wc -l <"$work/installed") files installed as listed; both packages as listed, lintian clean"
