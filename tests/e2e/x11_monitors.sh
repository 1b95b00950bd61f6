#!/bin/sh
# howdy under Xvfb with two monitors on one screen, the second primary, and ALSA's file plugin
# as the default device: the overlay covers exactly the primary monitor, the other one keeps
# showing the desktop, the badge comes to rest in the primary monitor's middle, the cannon's
# samples reach the file, and Esc ends the show.
# Usage: x11_monitors.sh HOWDY HOWDY_RECORD CURSOR_PROBE
howdy=$1 record=$2 probe=$3
. "$(dirname "$0")/lib.sh"
start_desktop
private_home "pcm.!default { type file; slave.pcm \"null\"; file \"$work/sound.raw\"; format \"raw\" }"
xrandr --setmonitor LEFT 400/100x768/200+0+0 none >/dev/null
xrandr --setmonitor '*RIGHT' 624/150x768/200+400+0 none >/dev/null

screen=624x768+400+0
start_howdy "$howdy"
hand_over 712 384
wait_for_badge 624x738+400+0
check '[ "$(differ 400x768+0+0)" = 0 ]' "the other monitor does not show the desktop"
eval "$(convert "$work/shot.png" "$desktop" -compose difference -composite -crop 624x738+400+0 -trim \
    -format 'x=%X y=%Y w=%w h=%h' info:)"
# Sliding in from the right in steps of 15 pixels, it stops at the first step not right of the middle.
check '[ $((x + w / 2 - 712)) -ge -17 ] && [ $((x + w / 2 - 712)) -le 2 ] && [ $((y + h / 2 - 384)) -ge -3 ] &&
    [ $((y + h / 2 - 384)) -le 3 ]' "the badge rests at ${w}x$h$x$y, not in the middle"
xdotool key Escape
ended "Esc over the badge" 2000
/usr/bin/python3 "$e2e/readings.py" samples "$work/sound.raw" "$e2e/../../resources/sounds/cannon.wav" ||
    fail "the cannon's samples are not in the file ($(wc -c <"$work/sound.raw") bytes written)"
quiet
