#!/bin/sh
# howdy's start: --help answers without a display; a display that can't be opened, and one that
# takes the connection but never answers (after a bounded wait), end it with one line, status 1.
# Usage: x11_start.sh HOWDY
howdy=$1
. "$(dirname "$0")/lib.sh"

# runs STATUS PATTERN COMMAND...: COMMAND ends with STATUS, its output (lines joined with blanks)
# matching PATTERN.
runs() {
    status=0 want="$1 $2" since=$(now_ms)
    shift 2
    timeout 30 "$@" >"$work/out" 2>&1 || status=$?
    printf '%s %s\n' $status "$(paste -sd' ' "$work/out")" | grep -Eqx "$want" ||
        fail "$*: status $status, $(cat "$work/out")"
    echo "$*: status $status after $(($(now_ms) - since)) ms: $(head -n 1 "$work/out")"
}
runs 0 "usage: howdy .*" env -u DISPLAY "$howdy" ignored --help

n=150
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
runs 1 "howdy: can't open the X display ':$n'" env DISPLAY=:$n "$howdy"

# A server that takes connections and never answers them.
[ -d /tmp/.X11-unix ] || { mkdir -m 1777 /tmp/.X11-unix && at_exit='rmdir /tmp/.X11-unix'; }
at_exit="rm -f /tmp/.X11-unix/X$n; $at_exit"
spawn /usr/bin/python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(8); time.sleep(60)' "/tmp/.X11-unix/X$n"
within 5000 '[ -S "/tmp/.X11-unix/X$n" ]' || fail "the silent server did not start"
runs 1 "howdy: the X display ':$n' does not answer" env DISPLAY=:$n "$howdy"
