#!/bin/sh
# The built program on a virtual X display with no window manager:
#   1. its window "Terravel" opens at (299, 182) with a 641 x 492 client area,
#      and a click on "exit" ends the process with status 0;
#   2. a close request from the title bar (the WM_DELETE_WINDOW message a
#      window manager sends) ends it with status 0 as well.
# Usage: process_test.sh TERRAVEL WM_CLOSE
set -u

if [ "${1:-}" != --on-display ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --on-display "$@"
fi
app=$2
wm_close=$3
export QT_QPA_PLATFORM=xcb

fail() {
    echo "FAIL: $*"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}

start() {
    "$app" &
    pid=$!
    window=$(timeout 10 xdotool search --sync --name '^Terravel$' | head -n 1)
    [ -n "$window" ] || fail "no window titled Terravel"
}

# Waits up to 10 s for the program to end and checks its exit status.
expect_exit_0() {
    tries=0
    while kill -0 "$pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -le 50 ] || fail "$1: the program is still running"
        sleep 0.2
    done
    wait "$pid"
    status=$?
    [ "$status" -eq 0 ] || fail "$1: exit status $status"
    echo "ok: $1 ends the program with exit status 0"
    pid=
}

start
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 641 ] && [ "$HEIGHT" -eq 492 ] || fail "window is ${WIDTH}x${HEIGHT}"
[ "$X" -eq 299 ] && [ "$Y" -eq 182 ] || fail "window is at ($X, $Y)"
echo "ok: window Terravel at ($X, $Y), ${WIDTH}x${HEIGHT}"
xdotool mousemove --window "$window" 600 468 click 1   # "exit": x 576..625, y 456..481
expect_exit_0 '"exit"'

start
"$wm_close" "$window" || fail "close request not sent"
expect_exit_0 "closing the window"
