#!/bin/sh
# gdi_probe against our layer prints, case by case, the lines Wine printed for the Windows build
# (gdi_probe.expected). Where they part, the first differing case's pixels are printed.
# Usage: gdi_probe_matches.sh GDI_PROBE EXPECTED
set -eu
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$1" >"$out"
if ! diff "$out" "$2"; then
    first=$(diff "$out" "$2" | grep -m 1 '^[<>]' | cut -d' ' -f2)
    echo "our layer (<) and the reference (>) differ; $first, our layer:"
    "$1" "$first"
    exit 1
fi
echo "our layer agrees with the reference in all $(wc -l <"$2") cases"
