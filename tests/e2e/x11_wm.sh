#!/bin/sh
# howdy under openbox: the overlay is a managed window, fullscreen, above docks and undecorated;
# the menu opens above it; Esc closes the menu, and Esc then ends the show.
# Usage: x11_wm.sh HOWDY HOWDY_RECORD
howdy=$1 record=$2
. "$(dirname "$0")/lib.sh"
start_desktop
private_home 'pcm.!default "hw:9"'
# Openbox finds its theme where the system has it; it runs once its check window names itself,
# as howdy looks for it.
spawn env XDG_DATA_DIRS=/usr/local/share:/usr/share openbox >/dev/null 2>&1
within 10000 'check=$(xprop -root _NET_SUPPORTING_WM_CHECK | sed -n "s/.*window id # //p") &&
    xprop -id "$check" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "$check"' || fail "openbox did not start"

start_howdy "$howdy"
check 'xwininfo -id "$window" | grep -q "Override Redirect State: no"' "the overlay is not managed"
within 5000 'xprop -id "$window" _NET_WM_STATE | grep _NET_WM_STATE_FULLSCREEN | grep -q _NET_WM_STATE_ABOVE' ||
    fail "the window manager keeps $(xprop -id "$window" _NET_WM_STATE)"
shows_walker "under openbox"
open_menu 100 100
check '[ $left,$top,$captions = 100,100,3 ]' "a menu at $menu with $captions captions"
esc_closes_menu
xdotool key Escape
ended "Esc after the menu over the managed overlay" 10000
