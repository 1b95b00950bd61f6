# Shared by the end-to-end scripts: a private Xvfb showing a known desktop picture.
# Usage: . xvfb.sh; start_desktop HOWDY_RECORD (sets $work, $desktop and DISPLAY)

start_xvfb() {
    size=$1
    picture=$2
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
    # The picture becomes the root window's background, which is what a capture of the screen reads.
    display -window root "$picture" &
    sleep 1
    trap 'kill $xvfb_pid 2>/dev/null; [ -z "${work:-}" ] || rm -rf "$work"' EXIT
}

# A 1024 x 768 Xvfb showing howdy-record's built-in desktop, in a new scratch folder $work.
start_desktop() {
    work=$(mktemp -d)
    desktop="$work/desktop/frame-0001.png"
    "$1" --size 1024x768 --max-frames 1 --frames "$work/desktop" >/dev/null
    start_xvfb 1024x768 "$desktop"
}

# Waits until a window named "Howdy Partner" exists; prints its id.
wait_for_overlay() {
    timeout "${1:-20}" xdotool search --sync --name "Howdy Partner" | head -n 1
}

# The number of pixels that differ between two pictures within a region (WxH+X+Y).
pixels_differing() {
    compare -metric AE -extract "$3" "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
