#!/bin/sh
# howdy under Xvfb: the overlay covers the screen and shows the desktop it covers.
# Usage: x11_show.sh HOWDY HOWDY_RECORD
set -eu
howdy=$1
record=$2
. "$(dirname "$0")/xvfb.sh"

start_desktop "$record"

"$howdy" >"$work/howdy.log" 2>&1 &
pid=$!
window=$(wait_for_overlay)
[ -n "$window" ] || { echo "no overlay window appeared"; cat "$work/howdy.log"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] ||
    { echo "overlay at ${X},${Y} ${WIDTH}x${HEIGHT}, not the whole screen"; exit 1; }
sleep 2
import -window root "$work/shot.png"
xdotool key Escape
status=0
timeout 10 sh -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" || { echo "Esc did not end howdy"; exit 1; }
wait "$pid" || status=$?
[ "$status" = 0 ] || { echo "howdy ended with status $status"; exit 1; }

# Above the walker's row the overlay shows exactly the desktop it covers; along the bottom the
# walker has come in.
differing=$(pixels_differing "$work/shot.png" "$desktop" 1024x600+0+0)
[ "$differing" = 0 ] || { echo "$differing pixels differ from the desktop"; exit 1; }
walker=$(pixels_differing "$work/shot.png" "$desktop" 1024x116+0+652)
[ "$walker" -gt 500 ] || { echo "no walker along the bottom ($walker pixels differ)"; exit 1; }
echo "overlay covers the screen, shows the desktop and the walker"
