#!/usr/bin/env bash
# Desktop tests: the real program on a private X screen under a window manager (openbox), which draws title
# bars and frames as a user's desktop does, checked from outside with xdotool, xwininfo and xprop.
#   desktop.sh TESSALINE CHECK      CHECK: start | fit | place | about | viewer | bare
# Sizes are outer sizes, frame included, in pixels (twips / 15), within 2 px.
set -euo pipefail
program=$1 check=$2
for tool in Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "desktop: $tool is missing (scripts/install-deps installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A failure shows what the program said: a program that ended early says why.
fail() {
    echo "FAIL ($check): $*" >&2
    [ ! -s "$work/log" ] || sed 's/^/  tessaline: /' "$work/log" >&2
    exit 1
}

export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# -noreset: by default the server resets whenever its last client leaves. Without a window manager that happens
# after every xdotool search, and a program that connects during the reset is refused and aborts.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
# Openbox runs the --startup command once it manages windows; a window mapped before that stays unmanaged.
# The check "bare" has no window manager at all: no frame is ever announced.
if [ "$check" != bare ]; then
    openbox --startup "touch $work/managing" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do [ -e "$work/managing" ] && break; sleep 0.05; done
    [ -e "$work/managing" ] || fail "openbox did not start"
fi

# A 64 x 400 black picture (1-bit BMP).
le() { local v=$1 n=$2; for ((i = 0; i < n; i++)); do printf "\\x$(printf %02x $(((v >> (8 * i)) & 255)))"; done; }
{
    printf BM; le 3262 4; le 0 4; le 62 4
    le 40 4; le 64 4; le 400 4; le 1 2; le 1 2; le 0 4; le 3200 4; le 2835 4; le 2835 4; le 2 4; le 0 4
    printf '\0\0\0\0\377\377\377\0'
    head -c 3200 /dev/zero
} >"$work/tall.bmp"
# The program writes code.txt beside itself: a copy in the scratch folder keeps the build tree clean.
cp "$program" "$work/tessaline"

# The window titled NAME (a search can fail when another window vanishes meanwhile: it is tried again).
findWindow() {
    local id
    for _ in $(seq 100); do
        # Shown, not only made: a window focused before it is mapped is an X error.
        id=$(xdotool search --onlyvisible --limit 1 --name "$1" 2>/dev/null) && [ -n "$id" ] && echo "$id" && return 0
        sleep 0.05
    done
    fail "no window titled $1"
}
start() {
    "$work/tessaline" "$@" >"$work/log" 2>&1 &
    pids+=($!)
    window=$(findWindow '^Tessaline V[0-9.]*$')
}
# The window's outer size, client plus the frame extents the manager announces: "W H".
outer() {
    local w h extents
    w=$(xwininfo -id "$1" | awk '/ Width:/ {print $2}')
    h=$(xwininfo -id "$1" | awk '/ Height:/ {print $2}')
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
    set -- ${extents:-0 0 0 0}
    echo "$((w + $1 + $2)) $((h + $3 + $4))"
}
near() { local d=$(($1 - $2)); [ ${d#-} -le 2 ]; }
# Waits until the window manager has framed the window (announced its extents) and the outer size is W x H:
# the program refits once the frame is known. Before the frame, the client alone would pass for the outer size.
waitOuter() {
    local size
    for _ in $(seq 60); do
        if ! xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep = >/dev/null; then
            sleep 0.05
            continue
        fi
        size=$(outer "$1")
        set -- "$1" "$2" "$3" $size
        near "$4" "$2" && near "$5" "$3" && return 0
        sleep 0.05
    done
    fail "outer size $4 x $5, wanted $2 x $3"
}
# The window on top of all the others the window manager stacks.
topWindow() { echo $(($(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*[ #] //'))); }
position() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }

case $check in
bare) # no window manager: the specified size, a frame of none, and the program goes on (its clock ticks)
    start
    sleep 0.8
    [ "$(outer "$window")" = "565 364" ] || fail "outer size $(outer "$window") without a window manager"
    kill -0 "${pids[-1]}" || fail "the program ended"
    ;;
start) # without a picture: the default layout, 8475 x 5460 twips
    start
    waitOuter "$window" 565 364
    ;;
fit) # a 64 x 400 picture: 3435 x 6960 twips
    start "$work/tall.bmp"
    waitOuter "$window" 229 464
    ;;
place) # nothing but a fit or a reset places the window
    start
    waitOuter "$window" 565 364
    xdotool windowmove --sync "$window" 100 80
    before=$(position "$window")
    xdotool windowminimize --sync "$window"
    # Restored as a user restores it: through the window manager (_NET_ACTIVE_WINDOW), asked again until done;
    # a loaded machine (CI runs the tests side by side) can take seconds.
    for _ in $(seq 200); do
        xwininfo -id "$window" | grep IsViewable >/dev/null && break
        xdotool windowactivate "$window" 2>/dev/null || true
        sleep 0.05
    done
    xwininfo -id "$window" | grep IsViewable >/dev/null || fail "not restored"
    sleep 0.3
    after=$(position "$window")
    [ "$before" = "$after" ] || fail "restored at $after, was at $before"
    ;;
about) # 关于软件 again brings the about window, gone behind the main one, to the front
    start
    waitOuter "$window" 565 364
    # 关于软件: the frame at (424, 96) px, the button at (8, 160) in it, 113 x 25.
    xdotool mousemove --window "$window" 488 268 click 1
    about=$(findWindow '^关于软件$')
    xdotool windowactivate --sync "$window"
    for _ in $(seq 40); do [ "$(topWindow)" = "$window" ] && break; sleep 0.05; done
    [ "$(topWindow)" = "$window" ] || fail "the main window does not come to the front"
    xdotool mousemove --window "$window" 488 268 click 1
    for _ in $(seq 40); do [ "$(topWindow)" = "$about" ] && break; sleep 0.05; done
    [ "$(topWindow)" = "$about" ] || fail "the about window stays behind"
    ;;
viewer) # the code viewer: client area 653 x 555, text box and button laid out from the outer size
    start "$work/tall.bmp"
    waitOuter "$window" 229 464
    # 导出代码...: the frame at (84, 195) px, the button at (8, 64) in it, 113 x 25.
    xdotool mousemove --window "$window" 148 271 click 1
    box=$(findWindow '^信息提示！$')
    xdotool windowfocus --sync "$box" key Return
    viewer=$(findWindow '^代码显示$')
    read -r cw ch < <(xwininfo -id "$viewer" | awk '/ Width:/ {w=$2} / Height:/ {h=$2} END {print w, h}')
    [ "$cw $ch" = "653 555" ] || fail "viewer client area $cw x $ch"
    read -r ow oh < <(outer "$viewer")
    [ "$ow" -gt "$cw" ] && [ "$oh" -gt "$ch" ] || fail "no frame around the viewer"
    # 关闭窗口 sits 1050 twips (70 px) above the outer bottom edge, 25 px high, centred on the outer width.
    # Laid out from the client size instead it would lie higher by the frame's height, and this click would
    # miss it.
    sleep 0.3
    xdotool mousemove --window "$viewer" $((ow / 2)) $((oh - 70 + 12)) click 1
    for _ in $(seq 40); do
        xwininfo -id "$viewer" >/dev/null 2>&1 || { echo "ok ($check)"; exit 0; }
        sleep 0.05
    done
    fail "the close button is not where the outer size puts it"
    ;;
*)
    echo "desktop: unknown check $check" >&2
    exit 2
    ;;
esac
echo "ok ($check)"
