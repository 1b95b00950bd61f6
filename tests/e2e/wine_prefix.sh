#!/bin/sh
# The Wine prefix the Wine checks share, made once a test run: notehandler.exe registered for HTML
# files as FindExecutableA looks it up (HKCR\.html names a class whose shell\open\command starts
# with its quoted path). "remove" ends the prefix's processes and deletes the folder.
# Usage: wine_prefix.sh create DIR NOTEHANDLER_EXE
#        wine_prefix.sh remove DIR
. "$(dirname "$0")/lib.sh"
case $1 in create | remove) ;; *) fail "usage: wine_prefix.sh create DIR NOTEHANDLER_EXE | remove DIR" ;; esac
dir=$2
use_wine "$dir"
# Wine makes a prefix without a display just the same.
unset DISPLAY
if [ -e "$dir" ]; then
    # Only a folder this script made is deleted.
    check '[ -f "$dir/made-by-wine_prefix.sh" ]' "$dir is not a folder wine_prefix.sh made"
    stop_wine
    rm -rf "$dir"
fi
[ "$1" = create ] || exit 0
mkdir -p "$dir"
: >"$dir/made-by-wine_prefix.sh"
mkdir -m 700 "$dir/home"
log=$(wineboot -i 2>&1) || fail "wineboot failed: $log"
handler=$(windows_path "$3")
wine reg add 'HKCR\.html' /ve /d HowdyChecks.Page /f >/dev/null 2>&1
wine reg add 'HKCR\HowdyChecks.Page\shell\open\command' /ve /d "\"$handler\" \"%1\"" /f >/dev/null 2>&1
command=$(wine reg query 'HKCR\HowdyChecks.Page\shell\open\command' /ve 2>/dev/null | tr -d '\r')
stop_wine
case $command in *"\"$handler\" \"%1\""*) ;; *) fail "the handler is not registered: $command" ;; esac
printf 'Wine prefix made; HTML files open with %s\n' "$handler"
