#!/bin/sh
# howdy's start: --help and --version answer without a display; a display that can't be opened
# and one whose server accepts the connection but never answers both end the start with one
# line and status 1, the latter after a bounded wait.
# Usage: x11_start.sh HOWDY
set -eu
howdy=$1
work=$(mktemp -d)
trap '[ -z "${server:-}" ] || kill "$server" 2>/dev/null; rm -f "${socket:-}"
      [ -z "${made_folder:-}" ] || rmdir /tmp/.X11-unix; rm -rf "$work"' EXIT

fail() {
    echo "$*"
    exit 1
}

# answers OPTION PATTERN: howdy OPTION, with an argument it ignores and no display, prints a
# first line matching PATTERN and ends with status 0.
answers() {
    status=0
    env -u DISPLAY "$howdy" ignored "$1" >"$work/out" 2>&1 || status=$?
    [ "$status" = 0 ] && head -n 1 "$work/out" | grep -Eqx "$2" || fail "$1: status $status, $(cat "$work/out")"
    echo "$1: $(head -n 1 "$work/out")"
}
answers --help "usage: howdy .*"
answers --version "howdy [0-9]+\.[0-9]+\.[0-9]+"

for n in $(seq 150 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
status=0
DISPLAY=":$n" "$howdy" >"$work/out" 2>&1 || status=$?
[ "$status" = 1 ] && [ "$(cat "$work/out")" = "howdy: can't open the X display ':$n'" ] ||
    fail "without a server: status $status, $(cat "$work/out")"
echo "without a server: $(cat "$work/out")"

# A server that accepts connections and never answers them, for at most a minute.
socket="/tmp/.X11-unix/X$n"
[ -d /tmp/.X11-unix ] || { mkdir -m 1777 /tmp/.X11-unix && made_folder=1; }
/usr/bin/python3 -c '
import socket, sys, time
listener = socket.socket(socket.AF_UNIX)
listener.bind(sys.argv[1])
listener.listen(8)
listener.settimeout(0.2)
held, end = [], time.time() + 60
while time.time() < end:
    try:
        held.append(listener.accept()[0])
    except socket.timeout:
        pass
' "$socket" &
server=$!
for _ in $(seq 50); do
    [ -S "$socket" ] && break
    sleep 0.1
done
started=$(date +%s)
status=0
DISPLAY=":$n" timeout 30 "$howdy" >"$work/out" 2>&1 || status=$?
waited=$(($(date +%s) - started))
[ "$status" = 1 ] && [ "$(cat "$work/out")" = "howdy: the X display ':$n' does not answer" ] ||
    fail "a server that never answers: status $status after ${waited} s, $(cat "$work/out")"
echo "a server that never answers: $(cat "$work/out"), after ${waited} s"
