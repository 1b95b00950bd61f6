#!/bin/sh
# howdy under Xvfb with a window manager (openbox): the overlay is a managed window, fullscreen
# and above docks, undecorated, showing the desktop it covers; the menu opens above it; Esc in
# the menu closes the menu, and Esc then ends the show.
# Usage: x11_wm.sh HOWDY HOWDY_RECORD
set -eu
howdy=$1
record=$2
readings="/usr/bin/python3 $(dirname "$0")/readings.py"
. "$(dirname "$0")/xvfb.sh"

start_desktop "$record"
# Openbox keeps its cache in the scratch folder, and finds its theme where the system has it.
mkdir -p "$work/home"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" openbox >/dev/null 2>&1 &
wm=$!
private_home 'pcm.!default "hw:9"'
trap 'kill $wm 2>/dev/null; stop_howdy; kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
# Running once its check window names itself, as howdy looks for it.
for _ in $(seq 50); do
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
    [ -n "$check" ] && xprop -id "$check" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "$check" && break
    sleep 0.1
done

start_howdy
window=$(wait_for_overlay)
[ -n "$window" ] || fail "no overlay window appeared: $(cat "$work/howdy.err")"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] ||
    fail "overlay at ${X},${Y} ${WIDTH}x${HEIGHT}, not the whole screen"
xwininfo -id "$window" | grep -q "Override Redirect State: no" || fail "the overlay is not managed"
state=$(xprop -id "$window" _NET_WM_STATE)
case "$state" in
*_NET_WM_STATE_FULLSCREEN*_NET_WM_STATE_ABOVE* | *_NET_WM_STATE_ABOVE*_NET_WM_STATE_FULLSCREEN*) ;;
*) fail "the window manager keeps $state" ;;
esac
import -window root "$work/managed.png"
differing=$(pixels_differing "$work/managed.png" "$desktop" 1024x600+0+0)
[ "$differing" = 0 ] || fail "$differing pixels differ from the desktop above the walker: a frame or a title?"
echo "under a window manager the overlay is managed, fullscreen and above, and shows the desktop undecorated"

xdotool mousemove 100 100 click 3
sleep 0.5
import -window root "$work/menu.png"
eval "$($readings region "$work/menu.png" "$desktop" 60 60 500 300)"
[ "$captions" = 3 ] && [ "$left" = 100 ] && [ "$top" = 100 ] || fail "menu at $left,$top with $captions captions"
xdotool key Escape
sleep 0.3
kill -0 "$howdy_pid" 2>/dev/null || fail "Esc in the menu ended the show"
sent=$(now_ms)
xdotool key Escape
end_howdy 3000 "the menu above the managed overlay, then Esc" "$sent"
