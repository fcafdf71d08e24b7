#!/usr/bin/env bash
# Runs an 8051 firmware image in SDCC's simulator and prints COUNT bytes of its external RAM from START as one
# run of lower-case hex digits, two a byte.
#   xram.sh IMAGE.ihx START COUNT [INSTRUCTIONS]      (INSTRUCTIONS to run first, default 2000000)
#   (the simulated chip: an 8051, 128 bytes of internal RAM, or CHIP=8052 in the environment, 256)
set -euo pipefail
image=$1 start=$2 count=$3 steps=${4:-2000000}
command -v s51 >/dev/null || { echo "xram.sh: s51 is missing (scripts/install-deps installs sdcc-ucsim)" >&2; exit 1; }
# s51 prints a dump line as its address, then from column 29 up to 16 bytes in 48 columns, then their text.
printf 'step %d\ndump xram %d %d 16\nquit\n' "$steps" "$start" $((start + count - 1)) |
    timeout 120 s51 -t "${CHIP:-8051}" "$image" 2>/dev/null |
    awk -v start="$start" -v count="$count" '
        function hex(s,   i, v) { v = 0; for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1; return v }
        /^0x[0-9a-f]+ / {
            at = hex(substr($1, 3))
            n = split(substr($0, 29, 48), bytes, " ")
            for (i = 1; i <= n; i++) memory[at + i - 1] = bytes[i]
        }
        END {
            for (a = start; a < start + count; a++) {
                if (!(a in memory)) { print "xram.sh: no byte at " a > "/dev/stderr"; exit 1 }
                printf "%s", memory[a]
            }
        }'
