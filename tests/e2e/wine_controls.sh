#!/bin/sh
# howdy.exe under Wine: an early Esc ends the show and opens nothing; a click on the resting badge
# opens the page (with one trailing blank) and Esc then ends the show. A menu opened at 20 s and
# left open: the exit timer opens the page once, on time, and the show ends (Wine's timestamped
# relay trace tells when, and that the menu was up meanwhile).
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

rm -f "$work/launches.txt"
debug='HKCU\Software\Wine\Debug'
wine reg add "$debug" /v RelayInclude /d 'user32.SetTimer;user32.TrackPopupMenu;shell32.ShellExecuteA' /f >/dev/null 2>&1
WINEDEBUG=+timestamp,+relay start_howdy wine "$1"
within 30000 '[ $(($(now_ms) - started)) -ge 20000 ]'
xdotool mousemove 100 100 click 3
ended "the exit timer with the menu open" 20000
wine reg delete "$debug" /v RelayInclude /f >/dev/null 2>&1
launched "\"$(windows_path "$4")\" http://howdy-partner.example/lsd.html"
# The calls and returns, as "milliseconds Call|Ret name", in the order they were made.
sed -n 's/^\([0-9]*\)\.\([0-9]*\):[0-9a-f]*:\(Call\|Ret\) *[a-z0-9]*\.\([A-Za-z]*\).*/\1\2 \3 \4/p' "$work/err" >"$work/calls"
order=$(cut -d' ' -f2,3 "$work/calls" | tr '\n' ' ')
check '[ "$order" = "Call TrackPopupMenu Call SetTimer Ret SetTimer Call ShellExecuteA Ret ShellExecuteA Ret TrackPopupMenu " ]' \
    "the menu was not up from before the timer was set until after the page was asked for: $order"
ms() { sed -n "s/^\([0-9]*\) Call $1\$/\1/p" "$work/calls"; }
late=$(($(ms ShellExecuteA) - $(ms SetTimer) - 4000))
check '[ $late -ge 0 ] && [ $late -le 500 ]' "the page was asked for $late ms after the exit timer was due"
