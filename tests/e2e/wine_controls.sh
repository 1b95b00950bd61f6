#!/bin/sh
# howdy.exe under Wine, driven by xdotool: Esc a second into the show ends it with status 0 and
# opens nothing; a click on the resting badge opens the campaign page with one trailing blank in
# the program registered for HTML files, the launcher's probe file is gone, and Esc then ends
# the show with status 0 before its exit timer.
# Usage: wine_controls.sh HOWDY_EXE HOWDY_RECORD WINE_DIR NOTEHANDLER_EXE
set -eu
e2e=$(dirname "$0")
. "$e2e/wine_common.sh"
start_wine "$3" "$2"
handler=$(windows_path "$4")

start_howdy "$1"
sleep_until 1
xdotool key Escape
wait_for_exit 10
[ "$status" = 0 ] || { echo "after an early Esc howdy.exe ended with status $status"; exit 1; }
[ ! -e "$work/launches.txt" ] || { echo "an early Esc opened something"; cat "$work/launches.txt"; exit 1; }
early=$(elapsed)

start_howdy "$1"
wait_for_badge 27
xdotool mousemove 512 384 click 1
sleep 0.5
xdotool key Escape
wait_for_exit 10
late=$(elapsed)
[ "$status" = 0 ] || { echo "after a late Esc howdy.exe ended with status $status"; exit 1; }
expect_launches "\"$handler\" $campaign_url "
echo "howdy.exe under Wine: Esc ended it after $early s and after $late s with status 0; the badge's click" \
    "opened the page with its trailing blank"
