#!/bin/sh
# Faults outside howdy: a server without MIT-SHM, one without XRandR, no _NET_WORKAREA; in each
# the overlay shows the desktop with the walker and Esc ends it with status 0. The server killed
# in mid-show: howdy ends at once with one line and status 1.
# Usage: x11_faults.sh HOWDY HOWDY_RECORD
howdy=$1 record=$2
. "$(dirname "$0")/lib.sh"
private_home 'pcm.!default { type null }'

for fault in "-extension MIT-SHM" "-extension RANDR" ""; do
    # shellcheck disable=SC2086 # the options are two words
    start_desktop $fault
    [ -n "$fault" ] || xprop -root -remove _NET_WORKAREA
    start_howdy "$howdy"
    shows_walker "${fault:-no _NET_WORKAREA}"
    xdotool key Escape
    ended "${fault:-no _NET_WORKAREA}" 10000
    kill $xvfb
    wait $xvfb || :
done

start_desktop
start_howdy "$howdy"
kill -9 $xvfb
# Xvfb leaves its lock and socket behind.
rm -f "/tmp/.X${DISPLAY#:}-lock" "/tmp/.X11-unix/X${DISPLAY#:}"
ended "the server killed" 5000 1
check '[ "$(cat "$work/err")" = "howdy: the X display '"'$DISPLAY'"' went away" ]' "the server killed: $(cat "$work/err")"
