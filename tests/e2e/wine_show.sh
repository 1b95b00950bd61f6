#!/bin/sh
# howdy.exe under Wine, left alone: the desktop with the walker, the pulse, the badge at rest in
# the middle; about 27.5 s after it appeared the exit timer opens the page (no trailing blank) in
# the program registered for HTML files, and it ends with status 0.
# Usage: wine_show.sh HOWDY_EXE HOWDY_RECORD WINE_DIR NOTEHANDLER_EXE
record=$2
. "$(dirname "$0")/lib.sh"
start_wine "$3"
start_howdy wine "$1"
shows_walker "under Wine"
shows_pulse
wait_for_badge
check '[ "$(differ 1024x285+0+0) $(differ 1024x284+0+484)" = "0 0" ]' "the desktop differs around the badge"
ended "the exit timer" 15000
check '[ $(($(now_ms) - started)) -ge 25000 ]' "howdy.exe ended $(($(now_ms) - started)) ms after it appeared"
launched "\"$(windows_path "$4")\" http://howdy-partner.example/lsd.html"
