#!/bin/sh
# howdy under Xvfb with two monitors on one screen, the second primary, and ALSA's file plugin
# as the default device: the overlay covers exactly the primary monitor, the other one keeps
# showing the desktop, the badge comes to rest in the primary monitor's middle, the cannon's
# samples reach the file, and Esc ends the show.
# Usage: x11_monitors.sh HOWDY HOWDY_RECORD CURSOR_PROBE
set -eu
howdy=$1
record=$2
probe=$3
here=$(dirname "$0")
readings="/usr/bin/python3 $here/readings.py"
. "$here/xvfb.sh"

start_desktop "$record"
private_home "pcm.!default { type file; slave.pcm \"null\"; file \"$work/sound.raw\"; format \"raw\" }"
xrandr --setmonitor LEFT 400/100x768/200+0+0 none >/dev/null
xrandr --setmonitor '*RIGHT' 624/150x768/200+400+0 none >/dev/null

start_howdy
window=$(wait_for_overlay)
[ -n "$window" ] || fail "no overlay window appeared: $(cat "$work/howdy.err")"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X" = 400 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 624 ] && [ "$HEIGHT" = 768 ] ||
    fail "overlay at ${X},${Y} ${WIDTH}x${HEIGHT}, not on the primary monitor 624x768+400+0"
echo "the overlay covers the primary monitor, 624x768+400+0"

# The hand shows over the middle of the primary monitor once the badge is there; resting, the
# badge is centred on it.
hand=$($readings cursor "$here/../../resources/hand.cur")
wait_for_cursor "$probe" "$hand" 712 384 45 || fail "no hand over the primary monitor's middle"
sleep 1.5
import -window root "$work/badge.png"
differing=$(pixels_differing "$work/badge.png" "$desktop" 400x768+0+0)
[ "$differing" = 0 ] || fail "the other monitor does not show the desktop ($differing pixels differ)"
eval "$($readings region "$work/badge.png" "$desktop" 400 0 624 738)"
middle_x=$(((left + right) / 2))
middle_y=$(((top + bottom) / 2))
# Sliding in from the right in steps of 15 pixels, it stops at the first step not right of the
# middle.
[ $((middle_x - 712)) -ge -17 ] && [ $((middle_x - 712)) -le 2 ] && [ $((middle_y - 384)) -ge -3 ] &&
    [ $((middle_y - 384)) -le 3 ] || fail "the badge rests at ${left},${top}-${right},${bottom}, not in the middle"
echo "the badge rests in the primary monitor's middle (${left},${top}-${right},${bottom});" \
    "the other monitor shows the desktop"

sent=$(now_ms)
xdotool key Escape
end_howdy 3000 "Esc over the badge" "$sent"
$readings samples "$work/sound.raw" "$here/../../resources/sounds/cannon.wav" ||
    fail "the cannon's samples are not in the file ($(wc -c <"$work/sound.raw") bytes written)"
echo "the cannon's samples reach ALSA's default device"
[ ! -s "$work/howdy.err" ] || fail "standard error: $(cat "$work/howdy.err")"
