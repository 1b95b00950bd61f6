#!/bin/sh
# howdy.exe under Wine, left alone on a 1024 x 768 Xvfb showing a known desktop: the overlay
# covers the screen and shows the desktop's snapshot with the walker over it, then the trip's
# colour pulse, then the badge at rest in the middle. About 27.5 s after it appeared the exit
# timer opens the campaign page, without a trailing blank, in the program registered for HTML
# files; the launcher's probe file is gone and the program ends with status 0.
# Usage: wine_show.sh HOWDY_EXE HOWDY_RECORD WINE_DIR NOTEHANDLER_EXE
set -eu
e2e=$(dirname "$0")
. "$e2e/wine_common.sh"
start_wine "$3" "$2"
handler=$(windows_path "$4")
start_howdy "$1"

# The walker comes in along the bottom over an exact copy of the desktop.
sleep_until 2
import -window root "$work/walker.png"
differing=$(pixels_differing "$work/walker.png" "$desktop" 1024x652+0+0)
[ "$differing" = 0 ] || { echo "above the walker $differing pixels differ from the desktop"; exit 1; }
walker=$(pixels_differing "$work/walker.png" "$desktop" 1024x116+0+652)
[ "$walker" -gt 500 ] || { echo "no walker along the bottom ($walker pixels differ)"; exit 1; }

# The trip's pulse tints the desktop and lines the screen's edge with black.
sleep_until 10
import -window root "$work/pulse.png"
edge=$(convert "$work/pulse.png" -crop 1024x1+0+0 +repage -fill white +opaque black -format "%[fx:mean*w*h]" info:)
[ "$edge" = 0 ] || { echo "no black edge along the top during the pulse ($edge pixels are not black)"; exit 1; }
tinted=$(pixels_differing "$work/pulse.png" "$desktop" 1022x150+1+1)
[ "$tinted" -gt 50000 ] || { echo "no pulse: $tinted pixels of the top differ from the desktop"; exit 1; }

# The badge rests in the middle over the desktop, which shows untouched around it.
wait_for_badge 27
import -window root "$work/badge.png"
for band in 1024x285+0+0 1024x284+0+484; do
    differing=$(pixels_differing "$work/badge.png" "$desktop" $band)
    [ "$differing" = 0 ] || { echo "around the badge $differing pixels differ from the desktop ($band)"; exit 1; }
done

wait_for_exit 45
ended=$(elapsed)
[ "$status" = 0 ] || { echo "howdy.exe ended with status $status"; exit 1; }
awk -v t="$ended" 'BEGIN { exit !(t >= 25 && t <= 40) }' ||
    { echo "howdy.exe ended $ended s after the overlay appeared, not about 27.5 s"; exit 1; }
expect_launches "\"$handler\" $campaign_url"
echo "howdy.exe under Wine: walker, pulse and badge over the desktop; ended by itself after $ended s with" \
    "status 0 and opened the page in the HTML program"
