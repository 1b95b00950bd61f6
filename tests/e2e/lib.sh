# Shared by the end-to-end scripts: a scratch folder $work, a private Xvfb showing a known desktop
# (made with $record, howdy-record), howdy or howdy.exe run on it, and what is read from the screen.
# On exit howdy ends, then Wine's processes, the helpers spawned and Xvfb; $at_exit runs and $work goes.
set -eu
e2e=$(dirname "$0")
work=$(mktemp -d)
pid='' spawned='' xvfb='' at_exit=''
trap 'exit 1' INT TERM HUP PIPE
trap 'set +e; kill $pid 2>/dev/null; [ ! -d "${WINEPREFIX:-/-}" ] || stop_wine
      kill $spawned $xvfb 2>/dev/null; eval "$at_exit"; rm -rf "$work"' EXIT

fail() { echo "$*"; exit 1; }
# check COND MESSAGE (COND is evaluated: it may not use a function's arguments).
check() { eval "$1" || fail "$2"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# within MS COND: whether COND comes to hold within MS, tried every tenth of a second. The due
# time is kept in the arguments, which a within in COND does not touch.
within() {
    set -- $(($(now_ms) + $1)) "$2"
    until eval "$2"; do
        [ "$(now_ms)" -lt $1 ] || return 1
        sleep 0.1
    done
}

spawn() { "$@" & spawned="$spawned $!"; }

# start_desktop [XVFB OPTION]...: a 1024 x 768 Xvfb on a free display whose root window shows the
# desktop (what a screenshot reads), with a 30-pixel taskbar outside the work area.
start_desktop() {
    desktop=$work/desktop/frame-0001.png
    [ -e "$desktop" ] || "$record" --size 1024x768 --max-frames 1 --frames "$work/desktop" >/dev/null
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset "$@" 3>"$work/display" 2>/dev/null &
    xvfb=$!
    within 20000 '[ -s "$work/display" ]' || fail "Xvfb did not start"
    export DISPLAY=":$(cat "$work/display")"
    display -window root "$desktop" || :
    xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, 1024, 738"
}

# private_home ALSA_CONFIGURATION: howdy's drive C:, the page it opens and its sound stay in $work.
private_home() {
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
    export XDG_DATA_HOME="$work/home/.local/share" XDG_DATA_DIRS="$work/share" BROWSER=true
    mkdir -p "$HOME" "$work/share"
    mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
    printf '%s\n' "$1" >"$HOME/.asoundrc"
}

# stand_in_browser HOME DATA_HOME CONFIG_HOME: a program registered for HTML files in that home
# and XDG data and configuration homes, which notes the time in milliseconds and its arguments, a
# line a launch, in $work/launched.
stand_in_browser() {
    mkdir -p "$2/applications" "$3"
    printf '#!/bin/sh\necho "$(($(date +%%s%%N) / 1000000)) $*" >>"%s/launched"\n' "$work" >"$work/browser"
    chmod 755 "$work/browser"
    printf '[Desktop Entry]\nType=Application\nName=Browser\nExec=%s %%u\n' "$work/browser" \
        >"$2/applications/browser.desktop"
    HOME="$1" XDG_DATA_HOME="$2" XDG_CONFIG_HOME="$3" xdg-mime default browser.desktop text/html
}

# opened_once: the stand-in browser was started once, with the page. opened_on_time: and its
# launcher began within half a second of the exit timer's due time (HOWDY_DEBUG's summary).
opened_once() {
    within 10000 '[ -s "$work/launched" ]' || :
    set -- $(cat "$work/launched" 2>/dev/null)
    [ $# = 2 ] && [ "$2" = http://howdy-partner.example/lsd.html ] ||
        fail "the browser was started with [$(cat "$work/launched" 2>/dev/null)], not once with the page"
}
opened_on_time() {
    opened_once
    ms() { sed -n "s/.*$1 \([0-9]*\)\.\([0-9]*\) s after the start.*/\1\2/p" "$work/err" | sed 's/^0*//'; }
    set_at=$(ms "a timer set") looked_up_at=$(ms "looked up")
    check '[ -n "$set_at" ] && [ -n "$looked_up_at" ]' "howdy's summary: $(tail -n 1 "$work/err")"
    late=$((looked_up_at - set_at - 4000))
    check '[ $late -ge 0 ] && [ $late -le 500 ]' "the page's launcher began $late ms after the exit timer was due"
}

geometry() { eval "$(xdotool getwindowgeometry --shell "$1")" && echo "${WIDTH}x$HEIGHT+$X+$Y"; }

# start_howdy COMMAND...: runs it in the background ($pid; its output in $work/out and err), waits
# for the overlay ($window) and checks that it covers $screen (by default the whole screen).
start_howdy() {
    "$@" >"$work/out" 2>"$work/err" &
    pid=$!
    window=$(timeout 60 xdotool search --sync --name "Howdy Partner" | head -n 1)
    started=$(now_ms)
    check '[ -n "$window" ]' "no overlay: $(cat "$work/err")"
    within 5000 '[ "$(geometry "$window")" = "${screen:=1024x768+0+0}" ]' ||
        fail "the overlay covers $(geometry "$window"), not $screen"
}

# ended WHAT MS [STATUS]: howdy ends within MS, with STATUS (0).
ended() {
    since=$(now_ms)
    within "$2" '! kill -0 $pid 2>/dev/null' || fail "$1: howdy still runs after $2 ms"
    status=0
    wait $pid || status=$?
    pid=''
    check "[ $status = ${3:-0} ]" "$1: howdy ended with status $status: $(cat "$work/err")"
    echo "$1: howdy ended with status $status after $(($(now_ms) - since)) ms"
}
quiet() { check '[ ! -s "$work/err" ]' "standard error: $(cat "$work/err")"; }

shot() { import -window root "$work/${1:-shot}.png"; }
# see MS COND: whether COND comes to hold of a screenshot ($work/shot.png) within MS.
see() { within "$1" "shot && $2"; }
# differ REGION [PICTURE [REFERENCE]]: the number of pixels in REGION (WxH+X+Y) that differ between
# the screenshot (or PICTURE) and the desktop (or REFERENCE).
differ() { compare -metric AE -extract "$1" "${2:-$work/shot.png}" "${3:-$desktop}" null: 2>&1 | cut -d' ' -f1; }

# The overlay shows the desktop exactly, and the walker coming in along the bottom.
shows_walker() {
    see 20000 '[ "$(differ 1024x652+0+0)" = 0 ] && [ "$(differ 1024x116+0+652)" -gt 500 ]' ||
        fail "$1: $(differ 1024x652+0+0) pixels differ above the walker, $(differ 1024x116+0+652) along the bottom"
}

# The trip's pulse tints the desktop and lines the screen's edge with black.
shows_pulse() {
    see 30000 '[ "$(differ 1024x600+0+0)" -gt 300000 ] && [ "$(convert "$work/shot.png" -crop 1024x1+0+0 \
        -fill white +opaque black -format "%[fx:mean*w*h]" info:)" = 0 ]' || fail "no pulse with a black edge"
}

# wait_for_badge [REGION]: two pictures of REGION (the badge's place on the screen) 0.2 s apart
# agree, and show something other than the desktop; the second is left in $work/shot.png.
wait_for_badge() {
    badge=${1:-262x199+369+285}
    see 60000 'cp "$work/shot.png" "$work/before.png" && sleep 0.2 && shot &&
        [ "$(differ $badge "$work/before.png" "$work/shot.png")" = 0 ] && [ "$(differ $badge)" -gt 20000 ]' ||
        fail "no badge at rest in $badge"
}

# $hand: the hand as cursor_probe prints it. cursor_at X Y [MS [CURSOR]]: the pointer, nudged to
# (X, Y), shows the hand, or CURSOR, within MS (a minute).
read_hand() { hand=${hand:-$(/usr/bin/python3 "$e2e/readings.py" cursor "$e2e/../../resources/hand.cur")}; }
cursor_at() {
    read_hand
    x=$1 y=$2 want=${4:-$hand}
    within "${3:-60000}" 'xdotool mousemove $((x + 1)) $y mousemove $x $y; sleep 0.1; [ "$("$probe")" = "$want" ]' ||
        fail "at $x,$y the cursor is $("$probe"), not $want"
}

# The popup menu's window, as WxH+X+Y; false when none is shown.
menu_window() {
    for w in $(xdotool search --onlyvisible --maxdepth 1 --name '^$'); do
        ! xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _POPUP_MENU || { geometry "$w" && return; }
    done
    return 1
}

# open_menu X Y: a right-click at (X, Y) opens the popup menu; read_menu reads it (readings.py).
open_menu() {
    xdotool mousemove "$1" "$2" click 3
    within 5000 'menu=$(menu_window)' || fail "no menu after a right-click at $1,$2"
    read_menu
}
read_menu() { shot && eval "$(/usr/bin/python3 "$e2e/readings.py" menu "$work/shot.png" "$menu")"; }

# esc_closes_menu: Esc takes the menu read last away, and the show goes on. Not left painted where
# it was: its box looks nothing like the menu (whatever the show draws there by now).
esc_closes_menu() {
    cp "$work/shot.png" "$work/menu.png"
    xdotool key Escape
    see 3000 '! menu_window >/dev/null && [ "$(differ "$menu" "$work/shot.png" "$work/menu.png")" -gt \
        $(((right - left) * (bottom - top) * 9 / 10)) ]' || fail "the menu stays after Esc"
    sleep 0.3
    check 'kill -0 $pid' "Esc in the menu ended the show"
}

# --- Wine ---------------------------------------------------------------------------------------

# use_wine DIR: Wine keeps its prefix in DIR/prefix, and its home, runtime and temporary folder
# (its server's socket) in DIR/home. Its menu builder, sound drivers, .NET and HTML engines are off.
use_wine() {
    export WINEPREFIX="$1/prefix" HOME="$1/home" XDG_RUNTIME_DIR="$1/home" TMPDIR="$1/home" WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe,winepulse.drv,winealsa.drv,mscoree,mshtml=d"
    unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
}
stop_wine() { { wineserver -k && wineserver -w; } 2>/dev/null || :; }

# The Windows name of a file on Wine's drive Z: (printed with printf: echo reads backslashes).
windows_path() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }

# start_wine DIR: the desktop, and Wine with its prefix in DIR; notehandler.exe notes what it is
# started with in $work/launches.txt.
start_wine() {
    start_desktop
    use_wine "$1"
    export NOTEHANDLER_OUT="$(windows_path "$work/launches.txt")"
}

# launched LINE: notehandler.exe was started once, with LINE, and the launcher's probe file is gone.
launched() {
    expected=$1
    within 10000 '[ "$(cat "$work/launches.txt" 2>/dev/null)" = "$expected" ]' ||
        fail "notehandler.exe was started with [$(cat "$work/launches.txt" 2>/dev/null)], not [$expected]"
    check '[ ! -e "$WINEPREFIX/drive_c/QXtemp1.html" ]' "the launcher left C:\\QXtemp1.html behind"
}
