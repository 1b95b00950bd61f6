#!/bin/sh
# howdy.exe's GDI object count under Wine stays flat over a whole show: gdi_objects.exe, the
# program's own sources without their message loop, counts them every 100 frames to frame 3000
# and fails if any count differs from the first.
# Usage: wine_gdi_objects.sh GDI_OBJECTS_EXE HOWDY_RECORD WINE_DIR
record=$2
. "$(dirname "$0")/lib.sh"
start_wine "$3"
status=0
wine "$1" >"$work/counts.txt" 2>"$work/err" || status=$?
tr -d '\r' <"$work/counts.txt"
check '[ $status = 0 ]' "gdi_objects.exe ended with status $status: $(cat "$work/err")"
