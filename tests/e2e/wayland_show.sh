#!/bin/sh
# howdy on headless sway, one compositor for every check: the overlay is the screen it covers,
# at output scales 1, 2 and 1.25, on an output turned a quarter either way, and through the
# screenshot portal too; on the second of two outputs the badge rests in its middle and the
# pointer over it is the hand, and the show ends by its timer and opens the page; a right click
# shows the menu, whose "Exit" ends the show; HOWDY_OUTPUT names the output to cover; the
# compositor's death ends the show with status 1.
# Usage: wayland_show.sh HOWDY HOWDY_RECORD WAYLAND_POINTER HAND_CURSOR
set -eu
howdy=$1
record=$2
pointer_client=$3
hand=$4
. "$(dirname "$0")/wayland_session.sh"

walker_width=121
walker_height=116

start_sway 1280x720 bar

# Starts howdy (with the settings in $2...) on the focused output $1 and waits until the walker
# has come in along its bottom (a portal started on demand can take long on a busy machine).
show_starts() {
    output=$1
    shift
    grim -o "$output" "$work/before.png"
    start_howdy "$@"
    size=$(identify -format %wx%h "$work/before.png")
    height=${size#*x}
    [ -n "$(wait_for_change "$work/before.png" "${size%x*}x$walker_height+0+$((height - walker_height))" 30 grim -o "$output")" ] ||
        fail "$output: the walker never came in"
    # Then all of him, feet on the bottom row.
    sleep 1.5
    grim -o "$output" "$work/shot.png"
}

# The overlay shows the desktop as it was, bar included, but where the walker stands: what
# differs fits in one walker frame standing on the bottom row.
overlay_is_the_screen() {
    box=$(difference_box "$work/before.png" "$work/shot.png")
    w=${box%%x*}
    rest=${box#*x}
    h=${rest%%+*}
    y=${rest##*+}
    [ "$w" -le $walker_width ] && [ "$h" -le $walker_height ] && [ $((y + h)) = "$height" ] ||
        fail "$1: the overlay differs from the screen in $box, not just where the walker stands"
}

esc_ends() {
    wtype -s 300 -k Escape
    wait_howdy 5
    [ "$status" = 0 ] || fail "$1: Esc ended howdy with status $status"
}

for setting in "scale 1" "scale 2" "scale 1.25" "transform 90" "transform 270"; do
    swaymsg -q output HEADLESS-1 $setting
    sleep 0.5
    show_starts HEADLESS-1
    overlay_is_the_screen "$setting"
    esc_ends "$setting"
done
swaymsg -q output HEADLESS-1 scale 1 transform normal
echo "the overlay is the screen, bar included, at scales 1, 2 and 1.25 and turned either way; Esc ends the show"

# The screenshot portal's route, forced: xdg-desktop-portal with its wlroots backend (which wants
# PipeWire) on a session bus of the test's own gives the same snapshot, and the picture file it
# makes is gone after. No pointer exists yet, so no cursor is in any picture.
XDG_CURRENT_DESKTOP=sway:gnome HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" XDG_CONFIG_HOME="$work/home/config" \
    XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache" XDG_STATE_HOME="$work/home/state" setsid dbus-run-session -- \
    sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; pipewire & exec sleep 600' "$work/bus" >"$work/dbus.log" 2>&1 &
echo $! >"$work/dbus.pid"
for _ in $(seq 50); do
    [ -s "$work/bus" ] && break
    sleep 0.1
done
# The portal is started and asked its version first: a cold start can take long on a busy machine.
DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus")" dbus-send --session --print-reply --reply-timeout=60000 \
    --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
    string:org.freedesktop.portal.Screenshot string:version >"$work/portal-version" 2>&1 ||
    fail "the screenshot portal did not start: $(cat "$work/portal-version")"
portal_file=/tmp/out.png
[ -e $portal_file ] && portal_file=
show_starts HEADLESS-1 HOWDY_SNAPSHOT=portal DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus")"
overlay_is_the_screen "portal"
[ -z "$portal_file" ] || [ ! -e $portal_file ] || fail "the portal's picture file $portal_file was left behind"
esc_ends "portal"
echo "the portal's route gives the same snapshot and leaves no file"

# A second output at scale 2, focused: the show covers it. No pointer exists before its
# snapshot, so no cursor is in it.
swaymsg -q create_output
swaymsg -q output HEADLESS-2 mode 1024x768 position 1280 0 scale 2 bg "$desktop" center
swaymsg -q focus output HEADLESS-2
sleep 1
grim -o HEADLESS-1 "$work/first-before.png"
show_starts HEADLESS-2 WAYLAND_DEBUG=1
overlay_is_the_screen "second output"
grim -o HEADLESS-1 "$work/first.png"
[ "$(pixels_differing "$work/first-before.png" "$work/first.png")" = 0 ] || fail "the first output changed"

# The layout in logical units: 1280 x 720, then 512 x 384 to its right. The pointer waits in
# the middle of the second output, where the badge will rest, moving a little now and then: the
# program picks its cursor on a move.
start_pointer 1792 720
# The badge (262 x 199) has come to rest when two pictures in a row differ from the desktop in
# the same box of about its size (the cursor within it).
badge=
last=
nudge=0
for _ in $(seq 100); do
    nudge=$((1 - nudge))
    pointer move $((1536 + nudge)) 192
    grim -o HEADLESS-2 "$work/badge.png"
    box=$(difference_box "$work/before.png" "$work/badge.png")
    w=${box%%x*}
    rest=${box#*x}
    h=${rest%%+*}
    if [ "$box" = "$last" ] && [ "$w" -gt 240 ] && [ "$w" -le 262 ] && [ "$h" -gt 180 ] && [ "$h" -le 199 ]; then
        badge=$box
        break
    fi
    last=$box
    sleep 0.2
done
[ -n "$badge" ] || fail "the badge never came to rest (last seen: $box)"
x=${badge#*+}
x=${x%+*}
y=${badge##*+}
# Centred on the output's middle (512, 384), to within one 15-pixel step of its slide.
centre_x=$((x + w / 2))
centre_y=$((y + h / 2))
[ "$centre_x" -gt 496 ] && [ "$centre_x" -le 514 ] && [ "$centre_y" -ge 382 ] && [ "$centre_y" -le 386 ] ||
    fail "the badge rests at $badge, not in the middle of the second output"
echo "on the second of two outputs the show covers it and the badge rests in its middle"

# Over the badge the cursor is the hand, drawn 2:1 for the output's scale, its hot spot at the
# pointer: the picture with it is the bare badge with the hand laid over it. Both pictures are
# taken at once: the exit timer runs.
cp "$work/badge.png" "$work/hand.png"
pointer move 10 10
grim -o HEADLESS-2 "$work/bare.png"
convert "$hand" -filter point -resize 200% "$work/hand-2x.png"
convert "$work/bare.png" "$work/hand-2x.png" -geometry +$((512 + 2 * nudge))+384 -composite "$work/expected.png"
[ "$(pixels_differing "$work/expected.png" "$work/hand.png" 66x64+512+384)" = 0 ] ||
    fail "over the badge the cursor is not the hand at twice its size"
# Drawn at twice its size by howdy, not enlarged by the compositor (which sway's renderer does
# just as sharply): a 64 x 64 ARGB buffer on a surface of scale 2.
grep -q 'create_buffer(new id wl_buffer@[0-9]*, 0, 64, 64, 256, 0)' "$work/howdy.log" &&
    grep -q 'set_buffer_scale(2)' "$work/howdy.log" || fail "the hand was not drawn for scale 2"

wait_howdy 8
[ "$status" = 0 ] || fail "the exit timer ended howdy with status $status"
for _ in $(seq 20); do
    [ -s "$work/launched" ] && break
    sleep 0.1
done
[ "$(cat "$work/launched" 2>/dev/null)" = "http://howdy-partner.example/lsd.html" ] ||
    fail "the browser was not started with the page (it noted: $(cat "$work/launched" 2>/dev/null))"
echo "over the badge the cursor is the hand; the exit timer opens the page and ends the show"

# A right click shows the menu at the pointer, three rows high; Esc takes it away, and so does a
# click beside it, and the show goes on; "Exit", its last row, ends the show.
swaymsg -q focus output HEADLESS-1
show_starts HEADLESS-1
pointer move 600 300
grim -o HEADLESS-1 "$work/no-menu.png"
menu_box() {
    pointer click right
    [ -n "$(wait_for_change "$work/no-menu.png" 400x200+600+300 5 grim -o HEADLESS-1)" ] || fail "no menu appeared"
    sleep 0.3
    grim -o HEADLESS-1 "$work/menu.png"
    box=$(difference_box "$work/no-menu.png" "$work/menu.png" 500x200+590+290)
}
menu_box
case $box in
*x*+10+10) ;;
*) fail "the menu is at $box from (590, 290), not at the pointer (600, 300)" ;;
esac
w=${box%%x*}
rest=${box#*x}
h=${rest%%+*}
[ "$w" -ge 140 ] && [ "$h" -ge 60 ] && [ "$h" -le 100 ] || fail "the menu is $box: not three rows"
menu_dismissed() {
    for _ in $(seq 20); do
        sleep 0.2
        grim -o HEADLESS-1 "$work/dismissed.png"
        [ "$(pixels_differing "$work/no-menu.png" "$work/dismissed.png" ${w}x$h+600+300)" = 0 ] && break
    done
    [ "$(pixels_differing "$work/no-menu.png" "$work/dismissed.png" ${w}x$h+600+300)" = 0 ] || fail "$1 left the menu up"
    kill -0 "$howdy_pid" 2>/dev/null || fail "$1 on the menu ended the show"
}
wtype -s 300 -k Escape
menu_dismissed Esc
menu_box
pointer move 300 200
pointer click left
pointer move 600 300
menu_dismissed "a click beside it"
menu_box
pointer move 640 $((300 + h * 5 / 6))
pointer click left
wait_howdy 5
[ "$status" = 0 ] || fail "the menu's Exit ended howdy with status $status"
echo "a right click shows the menu at the pointer; Esc or a click beside it dismisses it, its Exit ends the show"

# The output named by HOWDY_OUTPUT is covered, not the focused one. The compositor dies mid-show:
# howdy ends within a second, with status 1.
swaymsg -q focus output HEADLESS-2
show_starts HEADLESS-1 HOWDY_OUTPUT=HEADLESS-1
kill -- "-$sway_pid"
sway_pid=
wait_howdy 1
[ "$status" = 1 ] || fail "with the compositor gone howdy ended with status $status (124: not within a second)"
echo "HOWDY_OUTPUT names the output to cover; with the compositor gone howdy ends at once with status 1"
