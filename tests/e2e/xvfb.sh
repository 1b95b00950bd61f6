# Shared by the end-to-end scripts: a private Xvfb showing a known desktop picture.
# Usage: . xvfb.sh; start_desktop HOWDY_RECORD (sets $work, $desktop and DISPLAY)
# The exit trap stops Xvfb and a howdy still running, and removes $work.

fail() {
    echo "$*"
    exit 1
}

# start_xvfb SIZE PICTURE [XVFB OPTION]...
start_xvfb() {
    size=$1
    picture=$2
    shift 2
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset "$@" >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    # The picture becomes the root window's background, which is what a capture of the screen reads.
    display -window root "$picture" &
    sleep 1
    trap 'stop_howdy; kill $xvfb_pid 2>/dev/null || true; [ -z "${work:-}" ] || rm -rf "$work"' EXIT
}

# A 1024 x 768 Xvfb showing howdy-record's built-in desktop, with a 30-pixel taskbar outside the
# work area, in a new scratch folder $work.
start_desktop() {
    work=$(mktemp -d)
    desktop="$work/desktop/frame-0001.png"
    "$1" --size 1024x768 --max-frames 1 --frames "$work/desktop" >/dev/null
    start_xvfb 1024x768 "$desktop"
    xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, 1024, 738"
}

# A home of its own for howdy under $work, whose ALSA configuration is $1: its drive C:, the
# page it opens and its sound stay in the scratch folder.
private_home() {
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
    export XDG_DATA_HOME="$work/home/.local/share" XDG_DATA_DIRS="$work/share" BROWSER=true
    mkdir -p "$HOME" "$work/share"
    mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
    printf '%s\n' "$1" >"$HOME/.asoundrc"
}

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# Starts $howdy in the background: $howdy_pid, its output in $work/howdy.out and .err.
start_howdy() {
    "$howdy" >"$work/howdy.out" 2>"$work/howdy.err" &
    howdy_pid=$!
}

stop_howdy() {
    [ -z "${howdy_pid:-}" ] || kill "$howdy_pid" 2>/dev/null || true
}

# end_howdy LIMIT_MS WHAT SINCE_MS: howdy ends with status 0 within LIMIT_MS of SINCE_MS.
end_howdy() {
    while kill -0 "$howdy_pid" 2>/dev/null && [ $(($(now_ms) - $3)) -lt 5000 ]; do
        sleep 0.01
    done
    ended=$(now_ms)
    if kill -0 "$howdy_pid" 2>/dev/null; then
        fail "$2: howdy still runs"
    fi
    status=0
    wait "$howdy_pid" || status=$?
    howdy_pid=
    [ "$status" = 0 ] || fail "$2: howdy ended with status $status"
    [ $((ended - $3)) -le "$1" ] || fail "$2: howdy ended only after $((ended - $3)) ms"
    echo "$2: howdy ended with status 0 after $((ended - $3)) ms"
}

# Waits until a window named "Howdy Partner" exists; prints its id.
wait_for_overlay() {
    timeout "${1:-20}" xdotool search --sync --name "Howdy Partner" | head -n 1
}

# The number of pixels that differ between two pictures within a region (WxH+X+Y).
pixels_differing() {
    compare -metric AE -extract "$3" "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

# wait_for_cursor PROBE LINE X Y SECONDS: moves the pointer to (X, Y), nudging it, until the
# cursor that PROBE reads is LINE; false if it never is.
wait_for_cursor() {
    deadline=$(($(now_ms) + $5 * 1000))
    while [ "$(now_ms)" -lt "$deadline" ]; do
        xdotool mousemove "$(($3 + 1))" "$4" mousemove "$3" "$4"
        sleep 0.1
        [ "$("$1")" != "$2" ] || return 0
        sleep 0.1
    done
    return 1
}
