#!/bin/sh
# howdy under Xvfb with two monitors on one screen, the second primary and away from the screen's
# corner, and ALSA's file plugin as the default device: the overlay covers exactly the primary
# monitor, the other one keeps showing the desktop, the badge comes to rest in the primary
# monitor's middle and shows the hand to its very edges, the cannon's samples reach the file, and
# Esc ends the show.
# Usage: x11_monitors.sh HOWDY HOWDY_RECORD CURSOR_PROBE
howdy=$1 record=$2 probe=$3
. "$(dirname "$0")/lib.sh"
start_desktop
private_home "pcm.!default { type file; slave.pcm \"null\"; file \"$work/sound.raw\"; format \"raw\" }"
xrandr --setmonitor LEFT 400/100x768/200+0+0 none >/dev/null
xrandr --setmonitor '*RIGHT' 624/150x700/200+400+68 none >/dev/null

screen=624x700+400+68
start_howdy "$howdy"
xdotool mousemove 500 200
read_hand
arrow=$("$probe")
wait_for_badge $screen
check '[ "$(differ 400x768+0+0)" = 0 ]' "the other monitor does not show the desktop"
eval "$(convert "$work/shot.png" "$desktop" -compose difference -composite -crop $screen -trim \
    -format 'x=%X y=%Y w=%w h=%h' info:)"
# Sliding in from the right in steps of 15 pixels, it stops at the first step not right of the middle.
check '[ $((x + w / 2 - 712)) -ge -17 ] && [ $((x + w / 2 - 712)) -le 2 ] && [ $((y + h / 2 - 418)) -ge -3 ] &&
    [ $((y + h / 2 - 418)) -le 3 ]' "the badge rests at ${w}x$h$x$y, not in the middle"
# At rest, its box (262 x 199, drawn a pixel within) shows the hand to its left and bottom edges,
# the arrow a pixel beyond them.
left=$((x - 1)) bottom=$((y + 198))
cursor_at $left $((y + 99)) 1000
cursor_at $((left - 1)) $((y + 99)) 1000 "$arrow"
cursor_at $((x + 130)) $((bottom - 1)) 1000
cursor_at $((x + 130)) $bottom 1000 "$arrow"
xdotool key Escape
ended "Esc over the badge" 2000
/usr/bin/python3 "$e2e/readings.py" samples "$work/sound.raw" "$e2e/../../resources/sounds/cannon.wav" ||
    fail "the cannon's samples are not in the file ($(wc -c <"$work/sound.raw") bytes written)"
quiet
