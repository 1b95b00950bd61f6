#!/bin/sh
# gdi_probe, against our layer or built for Windows and run under Wine, prints the reference's
# lines (gdi_probe.expected), case by case. Where they part, the first differing case's pixels.
# Usage: gdi_probe_matches.sh EXPECTED GDI_PROBE_COMMAND...
set -eu
expected=$1 out=$(mktemp)
trap 'rm -f "$out"' EXIT
shift
"$@" >"$out"
sed -i 's/\r$//' "$out"
if ! diff "$out" "$expected"; then
    first=$(diff "$out" "$expected" | grep -m 1 '^[<>]' | cut -d' ' -f2)
    echo "$* (<) and the reference (>) differ; $first, from $*:"
    "$@" "$first"
    exit 1
fi
echo "$* agrees with the reference in all $(wc -l <"$expected") cases"
