#!/bin/sh
# The CPU time of one whole 1024 x 768 show, left alone to its end: howdy on an Xvfb showing
# howdy-record's desktop, then howdy.exe under Wine on the same kind of Xvfb, with Wine's server
# apart, each from /usr/bin/time -v. Run by hand, on a quiet machine; it reports and checks
# nothing about the figures.
# Usage: wine_cpu.sh HOWDY HOWDY_EXE HOWDY_RECORD NOTEHANDLER_EXE
record=$3
. "$(dirname "$0")/../e2e/lib.sh"
sh "$(dirname "$0")/../e2e/wine_prefix.sh" create "$work/wine" "$4" >/dev/null
start_wine "$work/wine"

/usr/bin/time -v -o "$work/howdy.time" "$1" >/dev/null 2>&1 || true
/usr/bin/time -v -o "$work/wineserver.time" wineserver -f -p0 &
server=$!
sleep 1
/usr/bin/time -v -o "$work/howdy.exe.time" wine "$2" >/dev/null 2>&1 || true
wait "$server"

for run in howdy howdy.exe wineserver; do
    awk -F': ' -v run="$run" '
        /User time/ { user = $2 } /System time/ { sys = $2 } /Elapsed/ { wall = $2 }
        /Maximum resident/ { rss = $2 } /Exit status/ { status = $2 }
        END { printf "%-11s user %6.2f s  system %6.2f s  wall %s  max RSS %6.1f MiB  status %s\n",
                     run, user, sys, wall, rss / 1024, status }' "$work/$run.time"
done
