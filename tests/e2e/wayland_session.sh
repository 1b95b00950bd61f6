# Shared by the Wayland end-to-end scripts: a private headless sway showing a known desktop
# picture, run as an unprivileged user (sway refuses root), and howdy run against it.
# Usage: . wayland_session.sh; start_sway WxH [bar] [CONFIG LINES] (with $record, $howdy and
# $pointer_client set)
# Sets $work (a scratch folder, removed at exit), $desktop (the picture), WAYLAND_DISPLAY and
# SWAYSOCK; howdy gets a runtime folder and a browser of its own under $work.

work=$(mktemp -d)
sway_pid=
# Ends everything the script started, in its process group where it has one of its own; what
# already ended is passed over.
cleanup() {
    set +e
    [ -z "$sway_pid" ] || kill -- "-$sway_pid" 2>/dev/null
    for pid in $(cat "$work"/*.pid 2>/dev/null); do
        kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null
    done
    sleep 0.2
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Makes the desktop picture, starts sway on one output of that size, with a bar along the
# bottom when asked, and waits for its socket.
start_sway() {
    size=$1
    shift
    bar=
    if [ "${1:-}" = bar ]; then
        bar=yes
        shift
        printf '#!/bin/sh\necho howdy\nexec sleep 600\n' >"$work/status.sh"
        chmod 755 "$work/status.sh"
    fi
    desktop="$work/desktop/frame-0001.png"
    "$record" --size "$size" --max-frames 1 --frames "$work/desktop" >/dev/null
    chmod 755 "$work" "$work/desktop"
    chmod 644 "$desktop"
    mkdir -m 700 "$work/sway"
    chown nobody "$work/sway"
    {
        echo "output HEADLESS-1 mode $size position 0 0 bg $desktop center"
        echo "seat seat0 fallback true"
        echo "default_border none"
        echo "xwayland disable"
        [ -z "$bar" ] || printf 'bar {\n    position bottom\n    status_command %s\n}\n' "$work/status.sh"
        for line in "$@"; do echo "$line"; done
    } >"$work/sway.conf"
    chmod 644 "$work/sway.conf"
    # Its own process group, so that its bar and wallpaper go with it.
    XDG_RUNTIME_DIR="$work/sway" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        setsid setpriv --reuid=65534 --regid=65534 --clear-groups sway -c "$work/sway.conf" \
        >"$work/sway.log" 2>&1 &
    sway_pid=$!
    for _ in $(seq 100); do
        [ -S "$work/sway/wayland-1" ] && ls "$work"/sway/sway-ipc.*.sock >/dev/null 2>&1 && break
        sleep 0.1
    done
    export WAYLAND_DISPLAY="$work/sway/wayland-1"
    SWAYSOCK=$(ls "$work"/sway/sway-ipc.*.sock)
    export SWAYSOCK
    # The wallpaper and the bar take a moment to appear.
    sleep 1.5

    # howdy's runtime folder and a browser that notes its arguments, one line a launch.
    mkdir -p "$work/home/run" "$work/home/config" "$work/home/data/applications"
    chmod 700 "$work/home/run"
    printf '#!/bin/sh\necho "$*" >> "%s/launched"\n' "$work" >"$work/browser"
    chmod 755 "$work/browser"
    printf '[Desktop Entry]\nType=Application\nName=Browser\nExec=%s %%u\n' "$work/browser" \
        >"$work/home/data/applications/browser.desktop"
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
        xdg-mime default browser.desktop text/html
}

# Starts howdy in the background with the environment's settings in "$@" (its process id in
# $howdy_pid, its output in $work/howdy.log). It sees no X display and no session bus unless told.
start_howdy() {
    env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" XDG_CONFIG_HOME="$work/home/config" \
        XDG_DATA_HOME="$work/home/data" XDG_DATA_DIRS=/usr/share BROWSER="$work/browser" "$@" "$howdy" \
        >"$work/howdy.log" 2>&1 &
    howdy_pid=$!
    echo "$howdy_pid" >"$work/howdy.pid"
}

# Waits up to $1 seconds for howdy to end; sets $status (124 when it did not end).
wait_howdy() {
    status=124
    for _ in $(seq $(($1 * 10))); do
        kill -0 "$howdy_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$howdy_pid" 2>/dev/null; then
        kill "$howdy_pid"
        wait "$howdy_pid" 2>/dev/null || true
        return
    fi
    status=0
    wait "$howdy_pid" || status=$?
    rm -f "$work/howdy.pid"
}

# Says what failed, with what howdy said (not its protocol trace, nor ALSA's complaints without
# a sound card).
fail() {
    echo "$*"
    echo "--- howdy's output:"
    grep -v -e '^\[' -e '^ALSA lib' "$work/howdy.log" 2>/dev/null
    exit 1
}

# A screenshot of the whole layout, or with -o NAME of one output, as PNG.
shot() {
    grim "$@"
}

# The number of pixels that differ between two pictures, within a region (WxH+X+Y) if given.
pixels_differing() {
    if [ -n "${3:-}" ]; then
        compare -metric AE -extract "$3" "$1" "$2" null: 2>&1 | cut -d' ' -f1
    else
        compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
    fi
}

# The bounding box (WxH+X+Y) of the pixels that differ between two pictures of one size, within
# region $3 (WxH+X+Y, the box then counted from its corner) if given; 0x0+0+0 when none does.
difference_box() {
    convert "$1" "$2" ${3:+-crop "$3" +repage} -compose difference -composite -fill white +opaque black \
        -trim -format "%wx%h%X%Y" info: 2>/dev/null | sed 's/^1x1-1-1$/0x0+0+0/'
}

# Takes screenshots with the command "$4 ..." (given the file to write) until one differs from
# $1 within region $2; prints its path ($work/wait.png), or nothing after $3 seconds.
wait_for_change() {
    reference=$1
    region=$2
    seconds=$3
    shift 3
    for _ in $(seq $((seconds * 5))); do
        "$@" "$work/wait.png"
        if [ "$(pixels_differing "$work/wait.png" "$reference" "$region")" != 0 ]; then
            echo "$work/wait.png"
            return
        fi
        sleep 0.2
    done
}

# Starts the virtual pointer over a layout of $1 x $2 logical units; `pointer COMMAND` then
# moves or clicks and returns once the compositor has it.
start_pointer() {
    mkfifo "$work/pointer.in"
    "$pointer_client" "$1" "$2" <"$work/pointer.in" >"$work/pointer.out" 2>&1 &
    echo $! >"$work/pointer.pid"
    exec 3>"$work/pointer.in"
    pointer_count=0
}

pointer() {
    echo "$*" >&3
    pointer_count=$((pointer_count + 1))
    for _ in $(seq 50); do
        [ "$(grep -c done "$work/pointer.out")" -ge "$pointer_count" ] && return
        sleep 0.1
    done
    fail "the virtual pointer did not answer: $(cat "$work/pointer.out")"
}
