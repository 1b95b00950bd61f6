# Shared by the Wayland end-to-end scripts, beside lib.sh: a private headless sway showing a known
# desktop picture, run as an unprivileged user (sway refuses root), and howdy run against it.
# Needs $record and $howdy; helpers started with `group` run in process groups of their own and
# go at exit with all they started.
. "$(dirname "$0")/../e2e/lib.sh"
groups='' sway_pid=''
at_exit='for g in $groups; do kill -- "-$g" 2>/dev/null; done; sleep 0.2'
group() { setsid "$@" & groups="$groups $!"; }

# start_sway WxH [bar] [CONFIG LINE]...: the desktop picture on sway's one output of that size,
# with a bar along the bottom when asked; WAYLAND_DISPLAY and SWAYSOCK name it.
start_sway() {
    size=$1 bar=''
    shift
    [ "${1:-}" != bar ] || { bar=yes; shift; }
    desktop=$work/desktop/frame-0001.png
    "$record" --size "$size" --max-frames 1 --frames "$work/desktop" >/dev/null
    printf '#!/bin/sh\necho howdy\nexec sleep 600\n' >"$work/status.sh"
    chmod 755 "$work" "$work/desktop" "$work/status.sh"
    chmod 644 "$desktop"
    mkdir -m 700 "$work/sway"
    chown nobody "$work/sway"
    {
        echo "output HEADLESS-1 mode $size position 0 0 bg $desktop center"
        printf '%s\n' "seat seat0 fallback true" "default_border none" "xwayland disable" "$@"
        [ -z "$bar" ] || printf 'bar {\n    position bottom\n    status_command %s\n}\n' "$work/status.sh"
    } >"$work/sway.conf"
    chmod 644 "$work/sway.conf"
    XDG_RUNTIME_DIR="$work/sway" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        group setpriv --reuid=65534 --regid=65534 --clear-groups sway -c "$work/sway.conf" >"$work/sway.log" 2>&1
    sway_pid=$!
    within 10000 '[ -S "$work/sway/wayland-1" ] && ls "$work"/sway/sway-ipc.*.sock >/dev/null 2>&1' ||
        fail "sway did not start: $(cat "$work/sway.log")"
    export WAYLAND_DISPLAY="$work/sway/wayland-1" SWAYSOCK="$(ls "$work"/sway/sway-ipc.*.sock)"
    # The wallpaper and the bar take a moment to appear.
    sleep 1.5

    # howdy's runtime folder and a browser that notes its launches.
    mkdir -p "$work/home/run"
    chmod 700 "$work/home/run"
    stand_in_browser "$work/home" "$work/home/data" "$work/home/config"
}

# run_howdy [SETTING]...: howdy in the background with those environment settings ($pid; its
# output in $work/err). It sees no X display and no session bus unless told.
run_howdy() {
    spawned_at=$(now_ms)
    env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" \
        XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" XDG_DATA_DIRS=/usr/share \
        BROWSER="$work/browser" "$@" "$howdy" >"$work/out" 2>"$work/err" &
    pid=$!
}

# box_of BOX: the width, height and corner of a box WxH+X+Y as $w $h $x $y.
box_of() {
    w=${1%%x*} rest=${1#*x}
    h=${rest%%+*} rest=${rest#*+}
    x=${rest%+*} y=${rest#*+}
}

# difference_box A B [REGION]: the box (WxH+X+Y) around the pixels that differ between two pictures,
# within REGION if given (the box then counted from its corner); 0x0+0+0 when none does.
difference_box() {
    convert "$1" "$2" ${3:+-crop "$3" +repage} -compose difference -composite -fill white +opaque black \
        -trim -format "%wx%h%X%Y" info: 2>/dev/null | sed 's/^1x1-1-1$/0x0+0+0/'
}

# The virtual pointer over a layout of $1 x $2 logical units; `pointer COMMAND` then moves or
# clicks and returns once the compositor has it.
start_pointer() {
    # Opened for both reading and writing, which does not wait for the other end.
    mkfifo "$work/pointer.in"
    exec 3<>"$work/pointer.in"
    "$pointer_client" "$1" "$2" <&3 >"$work/pointer.out" 2>&1 &
    spawned="$spawned $!"
    pointer_count=0
}
pointer() {
    echo "$*" >&3
    pointer_count=$((pointer_count + 1))
    within 5000 '[ "$(grep -c done "$work/pointer.out")" -ge $pointer_count ]' ||
        fail "the virtual pointer did not answer: $(cat "$work/pointer.out")"
}
