#!/bin/sh
# howdy.exe's GDI object count under Wine stays flat over a whole show: gdi_objects.exe, the
# program's own sources without their message loop, counts them every 100 frames to frame 3000
# and fails if any count differs from the first.
# Usage: wine_gdi_objects.sh GDI_OBJECTS_EXE HOWDY_RECORD WINE_DIR
set -eu
e2e=$(dirname "$0")
. "$e2e/wine_common.sh"
start_wine "$3" "$2"

status=0
wine "$1" >"$work/counts.txt" 2>"$work/wine.log" || status=$?
tr -d '\r' <"$work/counts.txt"
[ "$status" = 0 ] || { echo "gdi_objects.exe ended with status $status"; cat "$work/wine.log"; exit 1; }
