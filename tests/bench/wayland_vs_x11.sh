#!/bin/sh
# The whole show at 1920 x 1080, once on headless sway (the Wayland backend) and once on Xvfb
# (the X11 backend): CPU time of the program and of the display server over the show, per frame,
# and resident memory. Run by hand; on a shared machine give it several runs (each plays the show
# on both, in turn) and read the medians it ends with.
# Usage: tests/bench/wayland_vs_x11.sh [BUILD_DIR [RUNS]]   (default build/linux, 1 run)
set -eu
build=$(realpath "${1:-build/linux}")
runs=${2:-1}
record="$build/howdy-record"
howdy="$build/howdy"
here=$(dirname "$0")
. "$here/../e2e/wayland_session.sh"
size=1920x1080

# The show's frames, as the recorder counts them on a virtual clock at this size.
"$record" --size $size --log "$work/show.jsonl" --max-frames 3000 >/dev/null
frames=$(grep -c '^{"frame"' "$work/show.jsonl")

# CPU ticks (user + system) of a running process.
ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# Peak resident memory of a running process, in KiB.
peak() {
    awk '/^VmHWM/ { print $2 }' "/proc/$1/status"
}

# Runs the program to its end; prints its CPU seconds (user + system) and peak resident KiB.
run_show() {
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" \
        XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" BROWSER=true "$@" \
        /usr/bin/python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.2f %d" % (usage.ru_utime + usage.ru_stime, usage.ru_maxrss))' "$howdy"
}

report() {
    # name, program seconds, program KiB, server ticks, server KiB
    hz=$(getconf CLK_TCK)
    awk -v name="$1" -v program="$2" -v memory="$3" -v ticks="$4" -v server="$5" -v hz="$hz" -v frames="$frames" \
        'BEGIN { s = ticks / hz; printf "%-8s program %6.2f s  server %6.2f s  per frame %5.2f ms (program %5.2f + server %5.2f)  program peak %6.1f MiB  server peak %6.1f MiB\n",
                 name, program, s, (program + s) * 1000 / frames, program * 1000 / frames, s * 1000 / frames,
                 memory / 1024, server / 1024 }' | tee -a "$work/results"
}

echo "$frames frames at $size"

# Wayland: headless sway with the desktop picture as its wallpaper.
start_sway $size

# X11: Xvfb with the same picture as its root window's background.
for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
setsid Xvfb ":$n" -screen 0 ${size}x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
echo "$xvfb" >"$work/xvfb.pid"
for _ in $(seq 50); do
    DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
DISPLAY=":$n" display -window root "$desktop" &
sleep 1

for _ in $(seq "$runs"); do
    before=$(ticks "$sway_pid")
    set -- $(run_show WAYLAND_DISPLAY="$WAYLAND_DISPLAY" HOWDY_BACKEND=wayland)
    report wayland "$1" "$2" $(($(ticks "$sway_pid") - before)) "$(peak "$sway_pid")"
    before=$(ticks "$xvfb")
    set -- $(run_show DISPLAY=":$n" HOWDY_BACKEND=x11)
    report x11 "$1" "$2" $(($(ticks "$xvfb") - before)) "$(peak "$xvfb")"
done
kill -- "-$sway_pid"
sway_pid=

# The median of each figure over the runs.
[ "$runs" -gt 1 ] || exit 0
for name in wayland x11; do
    grep "^$name " "$work/results" | awk -v name="$name" '
        { for (i = 1; i <= NF; ++i) { value[NR, i] = $i } fields = NF }
        END {
            line = "median  "
            for (i = 2; i <= fields; ++i) {
                if (value[1, i] ~ /^[0-9.]+\)?$/) {
                    n = 0
                    for (r = 1; r <= NR; ++r) { v[++n] = value[r, i] + 0 }
                    for (a = 1; a <= n; ++a) for (b = a + 1; b <= n; ++b) if (v[b] < v[a]) { t = v[a]; v[a] = v[b]; v[b] = t }
                    m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
                    line = line sprintf(" %.2f", m) (value[1, i] ~ /\)$/ ? ")" : "")
                } else {
                    line = line " " value[1, i]
                }
            }
            print line " (" name ", " NR " runs)"
        }'
done
