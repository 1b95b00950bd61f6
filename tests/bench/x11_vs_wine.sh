#!/bin/sh
# The whole show of howdy and of howdy.exe under Wine, one after the other on the same Xvfb at
# 1920 x 1080, each from its start to the exit timer's end: the program's CPU time and Xvfb's
# over the same interval, per frame; the wall time against the show's sum of sleeps (drift); the
# peak resident memory. Run by hand; nothing here is a test.
# Usage: x11_vs_wine.sh HOWDY HOWDY_EXE HOWDY_RECORD
# (build howdy.exe with: cmake --preset mingw && cmake --build --preset mingw)
set -eu
howdy=$1
exe=$2
record=$3
size=1920x1080
work=$(mktemp -d)
trap 'kill ${program:-} ${xvfb_pid:-} 2>/dev/null; [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null
      rm -rf "$work"' EXIT

# The show on a virtual clock: its frames, and the virtual time at which it ends (the sum of its
# sleeps, then the exit timer's four seconds).
"$record" --size "$size" --max-frames 1 --frames "$work/desktop" >/dev/null
"$record" --size "$size" --no-browser --log "$work/show.jsonl" >/dev/null
frames=$(grep -c '^{"frame"' "$work/show.jsonl")
show_ms=$(sed -n 's/^{"event":"exit","t_ms":\([0-9]*\).*/\1/p' "$work/show.jsonl")

for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
display -window root "$work/desktop/frame-0001.png" &
sleep 1

# Nothing opens the campaign's page: no program is registered for it and the browser is `true`.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_DIRS="$work/share" BROWSER=true
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
mkdir -p "$HOME" "$work/share"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
wineboot -i >/dev/null 2>&1

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# user + system CPU time of a process, in clock ticks; read with the shell's own means, as the
# readings must not load the machine that they measure.
cpu_ticks() {
    read -r stat <"/proc/$1/stat" || return 1
    set -- $stat
    echo $((${14} + ${15}))
}

# The process's peak resident memory, in KiB.
peak_kib() {
    while read -r key value _; do
        [ "$key" != VmHWM: ] || echo "$value"
    done <"/proc/$1/status"
}

# run NAME COMMAND...: runs the command, follows it once it has become the process called NAME
# (the loaders exec it in place) until it ends, and prints its figures.
run() {
    name=$1
    shift
    xvfb_before=$(cpu_ticks "$xvfb_pid")
    started=$(now_ms)
    "$@" >/dev/null 2>"$work/$name.err" &
    program=$!
    pid=$program
    while [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != "$name" ]; do
        [ -d "/proc/$pid" ] || { echo "$name did not start: $(cat "$work/$name.err")"; exit 1; }
    done
    ticks=0
    peak=0
    # Read until the process is gone; the last reading stands for its end.
    while [ -d "/proc/$pid" ]; do
        t=$(cpu_ticks "$pid" 2>/dev/null) && [ -n "$t" ] && ticks=$t
        h=$(peak_kib "$pid" 2>/dev/null) && [ -n "$h" ] && peak=$h
        sleep 0.1
    done
    wall=$(($(now_ms) - started))
    xvfb=$(($(cpu_ticks "$xvfb_pid") - xvfb_before))
    wait "$program" || true
    program=
    awk -v name="$name" -v t="$ticks" -v x="$xvfb" -v f="$frames" -v w="$wall" -v s="$show_ms" -v h="$peak" 'BEGIN {
        printf "%-10s program %5.2f s + Xvfb %5.2f s CPU = %5.2f ms a frame; ", name, t / 100, x / 100, (t + x) * 10 / f
        printf "wall %6.2f s for %6.2f s of sleeps (drift %+5.1f%%); VmHWM %5.1f MiB\n", w / 1000, s / 1000,
            (w - s) * 100 / s, h / 1024 }' |
        tee -a "$work/figures"
}

echo "$frames frames, $((show_ms / 1000)).$((show_ms % 1000 / 10)) s of show at $size"
run howdy env HOWDY_DEBUG=1 "$howdy"
run howdy.exe wine "$exe"
# howdy's own account: from its first frame to the exit timer's setting, as the badge comes to
# rest, against the sleeps in between; this leaves out the start (the snapshot) and the
# launcher's run at the end.
timer_ms=$(sed -n 's/^{"event":"timer".*"t_ms":\([0-9]*\).*/\1/p' "$work/show.jsonl")
sed -n 's/^howdy: \([0-9]*\) frames shown, the first \([0-9.]*\) s .*, a timer set \([0-9.]*\) s.*/\1 \2 \3/p' \
    "$work/howdy.err" | awk -v s="$timer_ms" '{
        printf "howdy itself: the first frame %.2f s after the start; from it to the badge at rest ", $2
        printf "%.2f s for %.2f s of sleeps (drift %+.1f%%)\n", $3 - $2, s / 1000, (($3 - $2) * 1000 - s) * 100 / s }'
awk 'NR == 1 { ours = $11 }
     NR == 2 { printf "CPU a frame, program and Xvfb: %.2fx Wine'"'"'s\n", ours / $11 }' "$work/figures"
