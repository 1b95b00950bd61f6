#!/bin/sh
# The layer against Wine: gdi_probe built for Windows and run under Wine prints the same lines,
# case by case, as gdi_probe built against our layer. Where they part, the first differing
# case's pixels are printed from both.
# Usage: wine_gdi_probe.sh GDI_PROBE_EXE GDI_PROBE HOWDY_RECORD WINE_DIR
set -eu
e2e=$(dirname "$0")
. "$e2e/wine_common.sh"
start_wine "$4" "$3"

"$2" >"$work/layer.txt"
wine "$1" >"$work/wine-crlf.txt" 2>"$work/wine.log" || { echo "gdi_probe.exe failed"; cat "$work/wine.log"; exit 1; }
tr -d '\r' <"$work/wine-crlf.txt" >"$work/wine.txt"
cases=$(wc -l <"$work/wine.txt")
[ "$cases" -gt 300 ] || { echo "the probe printed $cases cases under Wine"; cat "$work/wine.log"; exit 1; }
if ! diff "$work/layer.txt" "$work/wine.txt" >"$work/diff.txt"; then
    echo "our layer (<) and Wine (>) differ in $(grep -c '^<' "$work/diff.txt") cases:"
    cat "$work/diff.txt"
    first=$(grep -m 1 '^<' "$work/diff.txt" | cut -d' ' -f2)
    echo "$first, our layer:"
    "$2" "$first"
    echo "$first, Wine:"
    wine "$1" "$first" 2>/dev/null | tr -d '\r'
    exit 1
fi
echo "our layer and Wine agree in all $cases cases"
