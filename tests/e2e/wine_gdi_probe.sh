#!/bin/sh
# The layer against Wine: gdi_probe built for Windows and run under Wine prints the lines stored
# as the reference, which gdi_probe built against our layer must print too (probe.gdi_probe).
# Usage: wine_gdi_probe.sh GDI_PROBE_EXE HOWDY_RECORD WINE_DIR EXPECTED
record=$2
. "$(dirname "$0")/lib.sh"
start_wine "$3"
sh "$e2e/../probe/gdi_probe_matches.sh" "$4" wine "$1"
