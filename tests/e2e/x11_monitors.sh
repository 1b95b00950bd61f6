#!/bin/sh
# howdy under Xvfb on two monitors, the second primary and away from the screen's corner, with
# ALSA's file plugin as the sound device: the overlay covers exactly the primary monitor, the other
# shows the desktop; the badge rests where the recorder places it, the hand to its very edges; the
# cannon's samples reach the file; Esc ends the show.
# Usage: x11_monitors.sh HOWDY HOWDY_RECORD CURSOR_PROBE
howdy=$1 record=$2 probe=$3
. "$(dirname "$0")/lib.sh"
start_desktop
private_home "pcm.!default { type file; slave.pcm \"null\"; file \"$work/sound.raw\"; format \"raw\" }"
xrandr --setmonitor LEFT 400/100x768/200+0+0 none >/dev/null
xrandr --setmonitor '*RIGHT' 624/150x700/200+400+68 none >/dev/null

screen=624x700+400+68
# Where the badge comes to rest on a screen of the monitor's size, as the recorder plays the show:
# the last frame's walker position, from the monitor's corner.
"$record" --size 624x700 --log "$work/show.jsonl" --max-frames 400 >/dev/null
rest=$(grep '^{"frame"' "$work/show.jsonl" | tail -n 1 | sed 's/.*"walkerX":\([0-9-]*\),"walkerY":\([0-9-]*\).*/\1 \2/')
left=$((400 + ${rest% *})) top=$((68 + ${rest#* }))
start_howdy "$howdy"
xdotool mousemove 500 200
read_hand
arrow=$("$probe")
# At rest, its box (262 x 199) shows the hand to its left and bottom edges, the arrow a pixel
# beyond them; the hand at its left edge tells that it has come to rest, as it slides in from
# the right. Read at once: the exit timer runs from the moment it rests.
cursor_at $left $((top + 99))
cursor_at $((left - 1)) $((top + 99)) 2000 "$arrow"
cursor_at $((left + 130)) $((top + 198)) 2000
cursor_at $((left + 130)) $((top + 199)) 2000 "$arrow"
shot
check '[ "$(differ 400x768+0+0)" = 0 ]' "the other monitor does not show the desktop"
# Drawn a pixel within its box.
box=$(convert "$work/shot.png" "$desktop" -compose difference -composite -crop $screen -trim -format '%wx%h%X%Y' info:)
check '[ "$box" = 260x196+$((left + 1))+$((top + 1)) ]' "the badge rests at $box, not at ($left, $top)"
xdotool key Escape
ended "Esc over the badge" 2000
/usr/bin/python3 "$e2e/readings.py" samples "$work/sound.raw" "$e2e/../../resources/sounds/cannon.wav" ||
    fail "the cannon's samples are not in the file ($(wc -c <"$work/sound.raw") bytes written)"
quiet
