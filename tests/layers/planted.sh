#!/usr/bin/env bash
# The layer check must fail on a copy of src/ in which the bottom folder includes the main window.
#   planted.sh CHECK SRC
set -u
check=$1 src=$2
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$src"/. "$copy"
echo '#include "app/form1.h"' >>"$copy/core/rounding.h"
if "$check" "$copy" 2>"$copy.err"; then
    echo "the check passed a tree in which core includes app"
    rm -f "$copy.err"
    exit 1
fi
grep -q 'core/rounding.h:.*core includes from app' "$copy.err" || { cat "$copy.err"; rm -f "$copy.err"; exit 1; }
rm -f "$copy.err"
echo "the planted include is found"
