#!/bin/sh
# howdy under Xvfb, without a sound device: an Esc before the overlay exists ends it; the overlay,
# its names and icon; the popup menu at the pointer and in the screen's corner, its highlight, Esc
# and Exit; under a top panel the pulse, the escapes' grey patch, the hand over the resting badge,
# and the exit timer opening the page on time with a menu open. Nothing on standard error but
# what HOWDY_DEBUG asks for.
# Usage: x11_show.sh HOWDY HOWDY_RECORD CURSOR_PROBE
howdy=$1 record=$2 probe=$3
. "$(dirname "$0")/lib.sh"
start_desktop
# A card that is not there: ALSA's configuration speaks up about it.
private_home 'pcm.!default "hw:9"'
stand_in_browser "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"

# A lost key would let the show run on for half a minute. The Esc goes as soon as howdy holds the
# keyboard; whether it comes before the overlay exists is a race, which HOWDY_DEBUG's summary
# tells (a key kept for the overlay), run again until one was.
kept() { grep -Eq " [1-9][0-9]* keys? kept for the overlay" "$work/err"; }
for _ in $(seq 20); do
    HOWDY_DEBUG=1 "$howdy" 2>"$work/err" &
    pid=$!
    "$probe" --escape-when-held || fail "howdy does not hold the keyboard after 10 s"
    ended "Esc as soon as howdy holds the keyboard" 10000
    check '! grep -v "^howdy: " "$work/err"' "standard error: $(cat "$work/err")"
    kept && break
done
check kept "no Esc came before the overlay in 20 runs: $(cat "$work/err")"

start_howdy "$howdy"
xprop -id "$window" -f _NET_WM_ICON 32c ' = $0, $1, $2\n' WM_CLASS _NET_WM_NAME _NET_WM_PID _NET_WM_ICON >"$work/props"
printf '%s\n' 'WM_CLASS(STRING) = "howdy", "Hello World"' '_NET_WM_NAME(UTF8_STRING) = "Howdy Partner"' \
    "_NET_WM_PID(CARDINAL) = $pid" '_NET_WM_ICON(CARDINAL) = 32, 32, 0' | diff - "$work/props"
shows_walker "the overlay"
xdotool mousemove 300 300
sleep 0.2
arrow=$("$probe")

open_menu 100 100
check '[ $left,$top,$captions,$framed,$lit = 100,100,3,1,-1 ] && [ $((right - left)) -gt 150 ] &&
    [ $((bottom - top)) -gt 50 ]' "a menu at $menu with $captions captions, framed $framed, lit at $lit"
item=$caption_2
xdotool mousemove 130 $item
within 3000 'read_menu; [ $lit -ge $((item - 3)) ] && [ $lit -le $((item + 3)) ]' || fail "lit at $lit, not at $item"
esc_closes_menu

open_menu 1020 760
check '[ $right,$bottom,$captions = 1020,760,3 ]' "the menu in the corner at $menu with $captions captions"
xdotool mousemove $((left + 30)) "$caption_3" click 1
ended "Exit in the menu" 5000
quiet

# A top panel as well as the taskbar: the Start-button escapes' grey patch still starts two rows
# below the work area's bottom (row 738). Column 57 of the screen, g for that grey, b for black:
# an escape over the pulse shows a grey bottom row under a black top one.
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 30, 1024, 708"
column57() { "$probe" --pixels 57 0 1 768 | sed 's/c0c0c0/g/; s/000000/b/; s/^[0-9a-f]\{6\}$/./' | tr -d '\n'; }
start_howdy env HOWDY_DEBUG=1 "$howdy"
shows_pulse
within 8000 'column=$(column57) && [ "${column#b}" != "$column" ] && [ "${column%g}" != "$column" ]' ||
    fail "no Start-button escape over the pulse"
rows=$(echo "$column" | cut -c701- | tr b .)
check '[ "$rows" = ........................................gggggggggggggggggggggggggggg ]' \
    "the escape's patch in column 57 from row 700 down: $rows"
cursor_at 512 384
check '[ "$hand" != "$arrow" ]' "the arrow looks like the hand"
cursor_at 60 60 3000 "$arrow"
open_menu 60 60
check '[ $captions = 3 ]' "the menu over the badge shows $captions captions"
ended "the exit timer with the menu open" 15000
opened_on_time
check '! grep -v "^howdy: " "$work/err"' "standard error: $(cat "$work/err")"
