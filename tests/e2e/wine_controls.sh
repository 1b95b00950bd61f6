#!/bin/sh
# howdy.exe under Wine, driven by xdotool: Esc a second into the show ends it with status 0 and
# opens nothing; a click on the resting badge opens the campaign page with one trailing blank in
# the program registered for HTML files, the launcher's probe file is gone, and Esc then ends
# the show with status 0 before its exit timer.
# Usage: wine_controls.sh HOWDY_EXE HOWDY_RECORD WINE_DIR NOTEHANDLER_EXE
record=$2
. "$(dirname "$0")/lib.sh"
start_wine "$3"
start_howdy wine "$1"
sleep 1
xdotool key Escape
ended "Esc a second into the show" 10000
check '[ ! -e "$work/launches.txt" ]' "an early Esc opened $(cat "$work/launches.txt")"

start_howdy wine "$1"
wait_for_badge
xdotool mousemove 512 384 click 1
sleep 0.5
xdotool key Escape
ended "Esc after a click on the badge" 10000
launched "\"$(windows_path "$4")\" http://howdy-partner.example/lsd.html "
