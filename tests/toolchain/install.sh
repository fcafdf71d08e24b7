#!/usr/bin/env bash
# The install, as the README describes it: cmake --install into a scratch prefix holds exactly the files the
# README lists; the manual pages read without a warning; the desktop entry is valid; find_package(Tessaline)
# from the prefix turns a picture into the converter's bytes; cpack -G DEB makes a package of the same files
# whose dependencies are the ones the README names.
#   install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The README's list: the text block after the line that says what the install puts under the prefix.
awk '/puts these files under/ {found = 1; next} found && /^```/ {if (inside) exit; inside = 1; next} inside' \
    "$source/README.md" >"$work/listed"
[ -s "$work/listed" ] || fail "the README lists no installed files"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
# (The exported targets' file is named after the build type; the README lists a Release build's.)
(cd "$work/prefix" && find . -type f | sed 's|^\./||; s|TessalineTargets-[a-z]*\.cmake$|TessalineTargets-release.cmake|' |
    sort) >"$work/installed"
diff -u "$work/listed" "$work/installed" || fail "the install differs from the README's list"

for page in "$work"/prefix/share/man/man1/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
desktop-file-validate "$work/prefix/share/applications/tessaline.desktop" || fail "the desktop entry is not valid"

mkdir "$work/use"
cat >"$work/use/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.19)
project(use NONE)
find_package(Tessaline 1.0 REQUIRED)
add_custom_target(pictures ALL)
tessaline_add_picture(pictures logo "${PICTURE}" FORMAT hex OPTIONS --layout vertical)
CMAKE
cmake -S "$work/use" -B "$work/use/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
    -DPICTURE="$source/examples/sdcc-logo/logo.bmp" >/dev/null
cmake --build "$work/use/build" >/dev/null
"$work/prefix/bin/tessaline-cli" --format hex --layout vertical "$source/examples/sdcc-logo/logo.bmp" >"$work/expected"
cmp -s "$work/expected" "$work/use/build/logo.bin" || fail "find_package from the prefix gives other bytes"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
package=$(ls "$work"/deb/*.deb)
dpkg-deb -c "$package" | awk '$1 !~ /^d/ {print $6}' |
    sed 's|^\./usr/||; s|TessalineTargets-[a-z]*\.cmake$|TessalineTargets-release.cmake|' | sort >"$work/packaged"
diff -u "$work/listed" "$work/packaged" || fail "the package holds other files than the README lists"
depends=$(dpkg-deb -f "$package" Depends)
grep -qF "Depends: $depends" "$source/README.md" || fail "the package depends on '$depends', not what the README says"
echo "ok: $(wc -l <"$work/installed") files installed as listed; $(basename "$package") depends on $depends"
