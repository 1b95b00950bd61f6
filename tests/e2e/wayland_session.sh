# Shared by the Wayland end-to-end scripts, beside lib.sh: a private headless sway run as nobody
# (it refuses root), howdy ($howdy) run against it, and the checks they share. Helpers started
# with `group` run in process groups of their own and go at exit with all they started.
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
    mkdir -p -m 700 "$work/home/run"
    stand_in_browser "$work/home" "$work/home/data" "$work/home/config"
}

# run_howdy [SETTING]...: howdy in the background with those environment settings ($pid; its
# output in $work/err). It sees no X display and no session bus unless told.
run_howdy() {
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

# start_client COMMAND...: our input client, which `send move X Y | click left|right | key escape
# | shot FILE` drives, each returning once the compositor has it. On sway wtype types the keys.
start_client() {
    # Opened for both reading and writing, which does not wait for the other end.
    mkfifo "$work/client.in"
    exec 3<>"$work/client.in"
    "$@" <&3 >"$work/client.out" 2>&1 &
    spawned="$spawned $!" sent=0
}
send() {
    [ "$1" != key ] || [ -z "${SWAYSOCK:-}" ] || { wtype -s 300 -k Escape && return; }
    echo "$*" >&3
    sent=$((sent + 1))
    within 10000 '[ "$(grep -c done "$work/client.out")" -ge $sent ]' ||
        fail "the input client did not do [$*]: $(cat "$work/client.out")"
}

# Each script's `shot NAME` takes the screen's picture as $shots/NAME.png.
shots=$work
before_show() { :; }

# show_starts [SETTING]...: howdy starts with those settings and the walker comes in along the
# screen's bottom ($shots/before.png: the screen just before, $width x $height; a portal started on
# demand can take long on a busy machine); $shots/walking.png then shows all of him.
show_starts() {
    before_show
    shot before
    box_of "$(identify -format '%wx%h+0+0' "$shots/before.png")"
    width=$w height=$h
    run_howdy "$@"
    within 40000 'shot walking &&
        [ "$(differ ${width}x116+0+$((height - 116)) "$shots/walking.png" "$shots/before.png")" != 0 ]' ||
        fail "the walker never came in: $(cat "$work/err")"
    sleep 1.5
    shot walking
}

# walker_only WHAT PICTURE [REGION]: the overlay shows PICTURE (within REGION, down to the bottom)
# but where the walker stands: what differs fits in one walker frame on the bottom row.
walker_only() {
    box_of "${3:-${width}x$height+0+0}"
    bottom=$h
    box_of "$(difference_box "$2" "$shots/walking.png" ${3:-})"
    [ "$w" -le 121 ] && [ "$h" -le 116 ] && [ $((y + h)) = $bottom ] ||
        fail "$1: the overlay differs from the screen in ${w}x$h+$x+$y, not just where the walker stands"
}

# menu_at_pointer: with the pointer at (600, 300), a right click shows the menu there, three rows
# high ($w x $h); Esc takes it away and the show goes on. The box is measured once, early; later
# the menu is known by its own picture, as the show may tint the screen around it by then.
menu_at_pointer() {
    shot no-menu
    send click right
    within 5000 'shot menu && [ "$(differ 400x200+600+300 "$shots/menu.png" "$shots/no-menu.png")" != 0 ]' ||
        fail "no menu after a right click"
    sleep 0.3
    shot menu
    box=$(difference_box "$shots/no-menu.png" "$shots/menu.png" 500x200+590+290)
    box_of "$box"
    [ "$x+$y" = 10+10 ] && [ "$w" -ge 140 ] && [ "$h" -ge 60 ] && [ "$h" -le 100 ] ||
        fail "the menu is $box from (590, 290), not three rows at the pointer (600, 300)"
    send key escape
    menu_dismissed Esc
}
menu_dismissed() {
    within 10000 'shot now && [ "$(differ ${w}x$h+600+300 "$shots/now.png" "$shots/menu.png")" -gt $((w * h * 9 / 10)) ]' ||
        fail "$1 left the menu up"
    kill -0 "$pid" 2>/dev/null || fail "$1 on the menu ended the show"
}
