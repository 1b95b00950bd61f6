#!/bin/sh
# howdy on Weston's kiosk shell, which has no layer shell and no way to read the screen. With a
# screenshot portal (a stand-in of ours) the show maps as a fullscreen window and Esc ends it;
# without one howdy falls back to X11 when there is an X display, saying so on one line, and
# otherwise fails with one line. Weston runs on Xvfb, whose window passes it the keys.
# Usage: wayland_weston.sh HOWDY HOWDY_RECORD FAKE_PORTAL
set -eu
howdy=$1
record=$2
fake_portal=$3
. "$(dirname "$0")/wayland_session.sh"

desktop="$work/desktop/frame-0001.png"
"$record" --size 1024x768 --max-frames 1 --frames "$work/desktop" >/dev/null
mkdir -p "$work/home/run" "$work/weston" "$work/portal"
chmod 700 "$work/home/run" "$work/weston"

for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
echo $! >"$work/xvfb.pid"
export DISPLAY=":$n"
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
XDG_RUNTIME_DIR="$work/weston" setsid weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so \
    --socket=wayland-howdy --width=1024 --height=768 --idle-time=0 >"$work/weston.log" 2>&1 &
echo $! >"$work/weston.pid"
for _ in $(seq 100); do
    [ -S "$work/weston/wayland-howdy" ] && break
    sleep 0.1
done
export WAYLAND_DISPLAY="$work/weston/wayland-howdy"
# Keys typed on the X display go to Weston's window, under the pointer, whose cursor Weston
# draws in the top-left corner, out of the pictures compared below.
xdotool mousemove 1 1
sleep 1

# No portal and no X display: one line, status 1.
start_howdy
wait_howdy 10
[ "$status" = 1 ] || fail "with no way to read the screen howdy ended with status $status"
[ "$(wc -l <"$work/howdy.log")" = 1 ] && grep -q "^howdy: .*no way to read the screen" "$work/howdy.log" ||
    fail "with no way to read the screen howdy did not say so on one line"
echo "without a way to read the screen and without X howdy fails with one line"

# No portal but an X display: howdy says it shows on X11 instead, and does.
start_howdy DISPLAY="$DISPLAY"
window=$(timeout 10 xdotool search --sync --onlyvisible --name "Howdy Partner" | head -n 1)
[ -n "$window" ] || fail "howdy did not fall back to X11"
# Mapped, it takes the keyboard.
sleep 0.5
grep -v ALSA "$work/howdy.log" | grep -q "; showing on X11 instead$" || fail "howdy fell back to X11 without saying so"
[ "$(grep -c "^howdy:" "$work/howdy.log")" = 1 ] || fail "howdy said more than one line on falling back"
xdotool key Escape
wait_howdy 5
[ "$status" = 0 ] || fail "on X11 Esc ended howdy with status $status"
echo "without a way to read the screen howdy falls back to X11, saying so on one line"

# With a screenshot portal: the show is a fullscreen window on Weston, over the picture the
# portal gave, and Esc ends it. The portal's file is read and removed.
setsid dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; exec /usr/bin/python3 "$@"' \
    "$work/bus" "$fake_portal" "$desktop" "$work/portal" 2>"$work/dbus.log" &
echo $! >"$work/dbus.pid"
for _ in $(seq 50); do
    [ -e "$work/portal/ready" ] && break
    sleep 0.1
done
[ -e "$work/portal/ready" ] || fail "the stand-in portal did not start: $(cat "$work/dbus.log")"
import -window root "$work/before.png"
start_howdy DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus")"
[ -n "$(wait_for_change "$work/before.png" 1024x116+0+652 10 import -window root)" ] || fail "no overlay with the walker on Weston"
sleep 1.5
import -window root "$work/shot.png"
convert "$desktop" -crop 1024x700+0+68 +repage "$work/desktop-part.png"
convert "$work/shot.png" -crop 1024x700+0+68 +repage "$work/shot-part.png"
box=$(difference_box "$work/desktop-part.png" "$work/shot-part.png")
w=${box%%x*}
rest=${box#*x}
h=${rest%%+*}
y=${rest##*+}
[ "$w" -le 121 ] && [ "$h" -le 116 ] && [ $((y + h)) = 700 ] ||
    fail "the fullscreen overlay differs from the portal's picture in $box, not just where the walker stands"
[ "$(cat "$work/portal/calls")" = "token=howdy$howdy_pid interactive=False" ] ||
    fail "the portal was called as: $(cat "$work/portal/calls")"
[ ! -e "$work/portal/screenshot.png" ] || fail "the portal's picture file was left behind"
xdotool key Escape
wait_howdy 5
[ "$status" = 0 ] || fail "on Weston Esc ended howdy with status $status"
echo "on Weston the show maps fullscreen over the portal's picture, and Esc ends it"
