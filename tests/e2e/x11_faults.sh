#!/bin/sh
# Faults outside howdy on an X display: a server without MIT-SHM, one without XRandR, a desktop
# that sets no _NET_WORKAREA. In each the show goes on: the overlay shows the desktop with the
# walker, and Esc ends it with status 0. Then the server killed in mid-show: howdy ends at once
# with one line and status 1.
# Usage: x11_faults.sh HOWDY HOWDY_RECORD
set -eu
howdy=$1
record=$2
. "$(dirname "$0")/xvfb.sh"

work=$(mktemp -d)
desktop="$work/desktop/frame-0001.png"
"$record" --size 1024x768 --max-frames 1 --frames "$work/desktop" >/dev/null
private_home 'pcm.!default { type null }'

# show_goes_on WHAT: the overlay shows the desktop with the walker coming in; Esc ends it.
show_goes_on() {
    start_howdy
    [ -n "$(wait_for_overlay)" ] || fail "$1: no overlay: $(cat "$work/howdy.err")"
    sleep 1.5
    import -window root "$work/shot.png"
    differing=$(pixels_differing "$work/shot.png" "$desktop" 1024x600+0+0)
    walker=$(pixels_differing "$work/shot.png" "$desktop" 1024x116+0+652)
    [ "$differing" = 0 ] && [ "$walker" -gt 500 ] ||
        fail "$1: $differing pixels differ above the walker, $walker along the bottom"
    sent=$(now_ms)
    xdotool key Escape
    end_howdy 3000 "$1" "$sent"
}

for fault in "-extension MIT-SHM" "-extension RANDR" ""; do
    # shellcheck disable=SC2086 # the options are two words
    start_xvfb 1024x768 "$desktop" $fault
    show_goes_on "${fault:-no _NET_WORKAREA}"
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null || true
done

start_xvfb 1024x768 "$desktop"
start_howdy
[ -n "$(wait_for_overlay)" ] || fail "no overlay: $(cat "$work/howdy.err")"
sleep 1
killed=$(now_ms)
kill -9 "$xvfb_pid"
while kill -0 "$howdy_pid" 2>/dev/null && [ $(($(now_ms) - killed)) -lt 5000 ]; do
    sleep 0.01
done
status=0
wait "$howdy_pid" || status=$?
howdy_pid=
[ "$status" = 1 ] && grep -qx "howdy: the X display '$DISPLAY' went away" "$work/howdy.err" ||
    fail "the server killed: status $status after $(($(now_ms) - killed)) ms, $(cat "$work/howdy.err")"
echo "the server killed: status 1 after $(($(now_ms) - killed)) ms: $(cat "$work/howdy.err")"
