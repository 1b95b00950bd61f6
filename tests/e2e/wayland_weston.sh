#!/bin/sh
# howdy on Weston's kiosk shell, with no layer shell and no way to read the screen: with a portal
# (our stand-in) a fullscreen show; without, X11 when there is a display, else one line of failure.
# Weston runs on Xvfb, whose window passes it the keys.
# Usage: wayland_weston.sh HOWDY HOWDY_RECORD FAKE_PORTAL
howdy=$1 record=$2 fake_portal=$3
. "$(dirname "$0")/wayland_session.sh"

start_desktop
mkdir -p "$work/home/run" "$work/weston" "$work/portal"
chmod 700 "$work/home/run" "$work/weston"
XDG_RUNTIME_DIR="$work/weston" group weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so \
    --socket=wayland-howdy --width=1024 --height=768 --idle-time=0 >"$work/weston.log" 2>&1
within 10000 '[ -S "$work/weston/wayland-howdy" ]' || fail "Weston did not start: $(cat "$work/weston.log")"
export WAYLAND_DISPLAY="$work/weston/wayland-howdy"
# Keys go to Weston's window under the pointer; its cursor, top left, is out of the pictures.
xdotool mousemove 1 1
sleep 1

# No portal and no X display: one line, status 1.
run_howdy
ended "no way to read the screen" 10000 1
[ "$(wc -l <"$work/err")" = 1 ] && grep -q "^howdy: .*no way to read the screen" "$work/err" ||
    fail "with no way to read the screen howdy did not say so on one line: $(cat "$work/err")"

# No portal but an X display: howdy says it shows on X11 instead, and does, with the keyboard.
run_howdy DISPLAY="$DISPLAY"
window=$(timeout 10 xdotool search --sync --onlyvisible --name "Howdy Partner" | head -n 1)
[ -n "$window" ] || fail "howdy did not fall back to X11"
sleep 0.5
[ "$(grep -c "^howdy:" "$work/err")" = 1 ] && grep -q "^howdy: .*; showing on X11 instead$" "$work/err" ||
    fail "howdy did not say on one line that it fell back to X11: $(cat "$work/err")"
xdotool key Escape
ended "on X11, Esc" 5000

# With a screenshot portal: the show is a fullscreen window on Weston, over the picture the
# portal gave, and Esc ends it. The portal's file is read and removed.
group dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; exec /usr/bin/python3 "$@"' \
    "$work/bus" "$fake_portal" "$desktop" "$work/portal" 2>"$work/dbus.log"
within 5000 '[ -e "$work/portal/ready" ]' || fail "the stand-in portal did not start: $(cat "$work/dbus.log")"
show_starts DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus")"
walker_only "the fullscreen overlay over the portal's picture" "$desktop" 1024x700+0+68
[ "$(cat "$work/portal/calls")" = "token=howdy$pid interactive=False" ] ||
    fail "the portal was called as: $(cat "$work/portal/calls")"
[ ! -e "$work/portal/screenshot.png" ] || fail "the portal's picture file was left behind"
xdotool key Escape
ended "on Weston, Esc" 5000
