#!/bin/sh
# COMMAND run on the desktop with Wine's prefix in WINE_DIR, for the Windows build's own checks.
# Usage: wine_run.sh HOWDY_RECORD WINE_DIR COMMAND...
record=$1
. "$(dirname "$0")/lib.sh"
start_wine "$2"
shift 2
"$@" || fail "$*: status $?"
