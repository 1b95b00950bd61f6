#!/bin/sh
# howdy.exe under Wine and Xvfb: it starts, covers the screen with its overlay and keeps
# presenting frames.
# Usage: wine_show.sh HOWDY_EXE HOWDY_RECORD
set -eu
exe=$1
record=$2
. "$(dirname "$0")/xvfb.sh"

start_desktop "$record"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
wineboot -i >/dev/null 2>&1

wine "$exe" >"$work/wine.log" 2>&1 &
window=$(wait_for_overlay 60)
[ -n "$window" ] || { echo "no overlay window appeared"; cat "$work/wine.log"; wineserver -k; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 3
import -window root "$work/shot.png"
wineserver -k
[ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] || { echo "overlay is ${WIDTH}x${HEIGHT}"; exit 1; }
# Wine's screen snapshot is black; the walker drawn over it is not.
walker=$(convert "$work/shot.png" -crop 1024x116+0+652 +repage -fill white +opaque black \
    -format "%[fx:mean*w*h]" info: | cut -d. -f1)
[ "$walker" -gt 500 ] || { echo "no walker along the bottom ($walker pixels drawn)"; exit 1; }
echo "howdy.exe shows its overlay and the walker under Wine"
