#!/bin/sh
# howdy under Xvfb, without a sound device. An Esc sent 50 ms after the start, while the show is
# still being built and nothing is shown, ends a run at once. Then one whole show: the overlay
# covers the screen under its names and icon, shows the desktop it covers, the walker and the
# pulse; the popup menu shows its captions and highlights the item under the pointer, Esc closes
# it, and in the screen's corner it opens left of and above the pointer; over the resting badge
# the pointer is the hand, off it the arrow; the menu's Exit ends the show. Nothing is written to
# standard error.
# Usage: x11_show.sh HOWDY HOWDY_RECORD CURSOR_PROBE
set -eu
howdy=$1
record=$2
probe=$3
readings="/usr/bin/python3 $(dirname "$0")/readings.py"
. "$(dirname "$0")/xvfb.sh"

start_desktop "$record"
# A card that is not there: ALSA's configuration speaks up about it.
private_home 'pcm.!default "hw:9"'

# The time taken is printed, not judged: a lost key would let the show run on for half a
# minute, and a loaded machine may take a while to build the show.
start_howdy
sleep 0.05
sent=$(now_ms)
xdotool key Escape
end_howdy 3000 "Esc 50 ms after the start" "$sent"
[ ! -s "$work/howdy.err" ] || fail "standard error: $(cat "$work/howdy.err")"

started=$(now_ms)
start_howdy
window=$(wait_for_overlay)
[ -n "$window" ] || fail "no overlay window appeared: $(cat "$work/howdy.err")"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] ||
    fail "overlay at ${X},${Y} ${WIDTH}x${HEIGHT}, not the whole screen"
xprop -id "$window" WM_CLASS _NET_WM_NAME _NET_WM_PID >"$work/props"
xprop -id "$window" -f _NET_WM_ICON 32c ' = $0, $1, $2' _NET_WM_ICON >>"$work/props"
grep -qx 'WM_CLASS(STRING) = "howdy", "Hello World"' "$work/props" || fail "WM_CLASS: $(grep WM_CLASS "$work/props")"
grep -qx '_NET_WM_NAME(UTF8_STRING) = "Howdy Partner"' "$work/props" || fail "no _NET_WM_NAME"
grep -qx "_NET_WM_PID(CARDINAL) = $howdy_pid" "$work/props" || fail "no _NET_WM_PID $howdy_pid"
grep -qx '_NET_WM_ICON(CARDINAL) = 32, 32, 0' "$work/props" || fail "no 32 x 32 _NET_WM_ICON"
echo "the overlay covers the screen as \"Howdy Partner\" of class \"Hello World\", with its pid and icon"

# Above the walker's row the overlay shows exactly the desktop it covers; along the bottom the
# walker has come in.
sleep 1.5
import -window root "$work/walk.png"
differing=$(pixels_differing "$work/walk.png" "$desktop" 1024x600+0+0)
[ "$differing" = 0 ] || fail "$differing pixels differ from the desktop above the walker"
walker=$(pixels_differing "$work/walk.png" "$desktop" 1024x116+0+652)
[ "$walker" -gt 500 ] || fail "no walker along the bottom ($walker pixels differ)"
echo "the overlay shows the desktop, and the walker along the bottom"

xdotool mousemove 300 300
sleep 0.2
arrow=$("$probe")

# The menu opens at the pointer with three captions in a frame; the item under the pointer is
# lit; Esc closes the menu and the show goes on.
xdotool mousemove 100 100 click 3
sleep 0.5
import -window root "$work/menu.png"
eval "$($readings region "$work/menu.png" "$desktop" 60 60 500 300)"
[ "$left" = 100 ] && [ "$top" = 100 ] || fail "menu at $left,$top, not at the pointer (100,100)"
[ "$captions" = 3 ] && [ "$framed" = 1 ] && [ "$lit" = -1 ] ||
    fail "menu with $captions captions, framed $framed, lit at $lit"
[ $((right - left)) -gt 150 ] && [ $((bottom - top)) -gt 50 ] || fail "menu of $((right - left))x$((bottom - top))"
xdotool mousemove $((left + 30)) "$caption_2"
sleep 0.3
import -window root "$work/menu-lit.png"
caption=$caption_2
eval "$($readings region "$work/menu-lit.png" "$desktop" 60 60 500 300)"
[ "$lit" -ge $((caption - 3)) ] && [ "$lit" -le $((caption + 3)) ] ||
    fail "lit at $lit, not at the second item $caption"
xdotool key Escape
sleep 0.3
import -window root "$work/menu-closed.png"
differing=$(pixels_differing "$work/menu-closed.png" "$desktop" 500x300+60+60)
[ "$differing" = 0 ] || fail "the menu stays after Esc ($differing pixels)"
kill -0 "$howdy_pid" 2>/dev/null || fail "Esc in the menu ended the show"
echo "a right-click opens a framed menu of three captions at the pointer," \
    "the item under the pointer is lit, Esc closes it"

# Near the screen's corner the menu opens left of and above the pointer, on the screen.
xdotool mousemove 1020 760 click 3
sleep 0.5
import -window root "$work/menu-corner.png"
eval "$($readings region "$work/menu-corner.png" "$desktop" 624 500 400 268)"
[ "$right" = 1020 ] && [ "$bottom" = 760 ] && [ "$captions" = 3 ] ||
    fail "menu in the corner at $left,$top-$right,$bottom with $captions captions"
xdotool key Escape
echo "in the screen's corner the menu opens left of and above the pointer"

# Half way through the trip the desktop pulses through harsh colours.
sleep $((8 - ($(now_ms) - started) / 1000))
import -window root "$work/pulse.png"
differing=$(pixels_differing "$work/pulse.png" "$desktop" 1024x600+0+0)
[ "$differing" -gt 300000 ] || fail "no pulse: $differing pixels differ"
echo "the desktop pulses ($differing of 614400 pixels differ)"

# The badge comes to rest in the middle; over it the pointer becomes the hand.
hand=$($readings cursor "$(dirname "$0")/../../resources/hand.cur")
wait_for_cursor "$probe" "$hand" 512 384 45 || fail "no hand over the badge: $("$probe"), not $hand"
[ "$hand" != "$arrow" ] || fail "the arrow looks like the hand"
xdotool mousemove 60 60
sleep 0.2
[ "$("$probe")" = "$arrow" ] || fail "off the badge the cursor is $("$probe"), not the arrow $arrow"
echo "over the badge the pointer is the hand ($hand), off it the arrow ($arrow)"

# Exit in the menu ends the show.
xdotool click 3
sleep 0.5
import -window root "$work/menu-exit.png"
eval "$($readings region "$work/menu-exit.png" "$desktop" 40 40 320 200)"
[ "$captions" = 3 ] || fail "the menu over the badge shows $captions captions"
xdotool mousemove $((left + 30)) "$caption_3"
sleep 0.1
sent=$(now_ms)
xdotool click 1
end_howdy 1000 "Exit in the menu" "$sent"
[ ! -s "$work/howdy.err" ] || fail "standard error: $(cat "$work/howdy.err")"
echo "nothing on standard error without a sound device"
