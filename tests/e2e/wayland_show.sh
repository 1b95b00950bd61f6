#!/bin/sh
# howdy on headless sway: the overlay is the screen it covers at scales 1, 2 and 1.25, turned a
# quarter either way, and through the screenshot portal; on a second output the badge rests in its
# middle, the hand over it, and the exit timer opens the page with a menu open; the menu, Esc and
# Exit; HOWDY_OUTPUT; the compositor's death ends the show with status 1.
# Usage: wayland_show.sh HOWDY HOWDY_RECORD WAYLAND_CLIENT HAND_CURSOR
howdy=$1 record=$2 client=$3 hand=$4
. "$(dirname "$0")/wayland_session.sh"
start_sway 1280x720 bar

# Pictures of the output howdy is to cover.
output=HEADLESS-1
shot() { grim -o "$output" "$work/$1.png"; }

for setting in "scale 1" "scale 2" "scale 1.25" "transform 90" "transform 270"; do
    swaymsg -q output HEADLESS-1 $setting
    sleep 0.5
    show_starts
    walker_only "$setting" "$work/before.png"
    send key escape
    ended "$setting: Esc" 5000
done
swaymsg -q output HEADLESS-1 scale 1 transform normal

# The screenshot portal forced: xdg-desktop-portal's wlroots backend (which wants PipeWire) on a
# session bus of our own gives the same snapshot, its file gone after (no pointer exists yet).
XDG_CURRENT_DESKTOP=sway:gnome HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" XDG_CONFIG_HOME="$work/home/config" \
    XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache" XDG_STATE_HOME="$work/home/state" \
    group dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; pipewire & exec sleep 600' \
    "$work/bus" >"$work/dbus.log" 2>&1
within 5000 '[ -s "$work/bus" ]' || fail "no session bus: $(cat "$work/dbus.log")"
bus=$(cat "$work/bus")
# The portal is started and asked its version first: a cold start can take long on a busy machine.
DBUS_SESSION_BUS_ADDRESS=$bus dbus-send --session --print-reply --reply-timeout=60000 \
    --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
    string:org.freedesktop.portal.Screenshot string:version >"$work/portal-version" 2>&1 ||
    fail "the screenshot portal did not start: $(cat "$work/portal-version")"
portal_file=/tmp/out.png
[ ! -e $portal_file ] || portal_file=
show_starts HOWDY_SNAPSHOT=portal DBUS_SESSION_BUS_ADDRESS="$bus"
walker_only "portal" "$work/before.png"
[ -z "$portal_file" ] || [ ! -e $portal_file ] || fail "the portal's picture file $portal_file was left behind"
send key escape
ended "portal: Esc" 5000

# A second output at scale 2 (512 x 384 logical units, right of the first), focused: the show
# covers it, and the first stays as it was. The pointer near its corner focuses it and shows
# sway's own arrow, from the same cursor theme; then it leaves, and the focus stays.
swaymsg -q create_output
swaymsg -q output HEADLESS-2 mode 1024x768 position 1280 0 scale 2 bg "$desktop" center
start_client "$client" 1792 720
send move 1300 20
sleep 1
grim -o HEADLESS-2 "$work/sway-arrow.png"
swaymsg -q focus_follows_mouse no
send move 10 10
grim -o HEADLESS-1 "$work/first-before.png"
output=HEADLESS-2
show_starts WAYLAND_DEBUG=1 HOWDY_DEBUG=1
walker_only "second output" "$work/before.png"
grim -o HEADLESS-1 "$work/first.png"
[ "$(differ 1280x720+0+0 "$work/first.png" "$work/first-before.png")" = 0 ] || fail "the first output changed"

# The pointer waits in the middle of the second output, where the badge will rest, moving a
# little now and then: the program picks its cursor on a move. The badge (262 x 199) has come to
# rest when two pictures in a row differ from the desktop in the same box of about its size (the
# cursor within it).
box='' nudge=0
within 40000 'last=$box nudge=$((1 - nudge)) && send move $((1536 + nudge)) 192 &&
    grim -o HEADLESS-2 "$work/badge.png" && box=$(difference_box "$work/before.png" "$work/badge.png") &&
    box_of "$box" && [ "$box" = "$last" ] && [ "$w" -gt 240 ] && [ "$w" -le 262 ] && [ "$h" -gt 180 ] &&
    [ "$h" -le 199 ]' || fail "the badge never came to rest (last seen: $box)"
badge=$box
# Centred on the output's middle (512, 384), to within one 15-pixel step of its slide.
[ $((x + w / 2)) -gt 496 ] && [ $((x + w / 2)) -le 514 ] && [ $((y + h / 2)) -ge 382 ] && [ $((y + h / 2)) -le 386 ] ||
    fail "the badge rests at $badge, not in the middle of the second output"

# Over the badge the cursor is the hand drawn 2:1, its hot spot at the pointer: the bare badge
# with the hand laid over it. Off it, the theme's arrow as sway draws its own for the scale. The
# pictures are taken at once: the exit timer runs.
send move 1300 20
arrow_differs() { differ 96x96+0+0 "$work/arrow.png" "$work/sway-arrow.png"; }
within 3000 'grim -o HEADLESS-2 "$work/arrow.png" && [ "$(arrow_differs)" = 0 ]' ||
    fail "off the badge the cursor is not the theme's arrow as sway draws it: $(arrow_differs) pixels differ"
send move 10 10
grim -o HEADLESS-2 "$work/bare.png"
convert "$hand" -filter point -resize 200% "$work/hand-2x.png"
convert "$work/bare.png" "$work/hand-2x.png" -geometry +$((512 + 2 * nudge))+384 -composite "$work/expected.png"
[ "$(differ 66x64+512+384 "$work/badge.png" "$work/expected.png")" = 0 ] ||
    fail "over the badge the cursor is not the hand at twice its size"
# Drawn at twice its size by howdy, not enlarged by the compositor (which sway's renderer does
# just as sharply): a 64 x 64 ARGB buffer on a surface of scale 2.
grep -q 'create_buffer(new id wl_buffer@[0-9]*, 0, 64, 64, 256, 0)' "$work/err" &&
    grep -q 'set_buffer_scale(2)' "$work/err" || fail "the hand was not drawn for scale 2"

# A menu left open when the exit timer falls due: the page opens once, on time, and the show ends.
send move 1300 20
send click right
ended "the exit timer with the menu open" 8000
opened_on_time
[ "$(grep -c 'get_subsurface' "$work/err")" = 1 ] || fail "the right click before the exit timer showed no menu"

# The menu at the pointer; a click beside it takes it away too, and the show goes on; "Exit", its
# last row, ends the show.
swaymsg -q focus output HEADLESS-1
output=HEADLESS-1
show_starts
send move 600 300
menu_at_pointer
menu_again() {
    send click right
    within 5000 'shot now && [ "$(differ ${w}x$h+600+300 "$work/now.png" "$work/menu.png")" = 0 ]' ||
        fail "no menu appeared again"
}
menu_again
send move 300 200
send click left
send move 600 300
menu_dismissed "a click beside it"
menu_again
send move 640 $((300 + h * 5 / 6))
send click left
ended "the menu's Exit" 10000

# The output named by HOWDY_OUTPUT is covered, not the focused one. The compositor dies mid-show:
# howdy ends within a second, with status 1.
swaymsg -q focus output HEADLESS-2
show_starts HOWDY_OUTPUT=HEADLESS-1
kill -- "-$sway_pid"
ended "with the compositor gone" 1000 1
