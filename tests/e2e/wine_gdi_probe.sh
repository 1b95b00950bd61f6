#!/bin/sh
# The layer against Wine: gdi_probe built for Windows and run under Wine prints the lines stored
# as the reference, which gdi_probe built against our layer must print too (probe.gdi_probe).
# Where Wine and the reference part, the first differing case's pixels are printed from our layer
# and from Wine.
# Usage: wine_gdi_probe.sh GDI_PROBE_EXE GDI_PROBE HOWDY_RECORD WINE_DIR EXPECTED
record=$3
. "$(dirname "$0")/lib.sh"
start_wine "$4"
wine "$1" >"$work/wine.txt" 2>"$work/err" || fail "gdi_probe.exe failed: $(cat "$work/err")"
sed -i 's/\r$//' "$work/wine.txt"
cases=$(wc -l <"$work/wine.txt")
check '[ $cases -gt 300 ]' "the probe printed $cases cases under Wine: $(cat "$work/err")"
if ! diff "$5" "$work/wine.txt"; then
    first=$(diff "$5" "$work/wine.txt" | grep -m 1 '^[<>]' | cut -d' ' -f2)
    echo "the reference (<) and Wine (>) differ; $first, our layer, then Wine:"
    "$2" "$first"
    wine "$1" "$first" 2>/dev/null | tr -d '\r'
    exit 1
fi
echo "Wine agrees with the reference in all $cases cases"
