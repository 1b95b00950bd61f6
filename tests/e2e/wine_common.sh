# Shared by the Wine checks: the Wine prefix that wine_prefix.sh makes in a folder of its own,
# and a private Xvfb showing a known desktop (xvfb.sh, whose helpers for howdy these replace).
. "$e2e/xvfb.sh"

# Points Wine at the prefix DIR/prefix, with DIR/home as the home, runtime and temporary folder
# (where Wine's server keeps its socket), so that nothing Wine writes lands outside DIR. Wine's
# menu builder, its sound drivers and its .NET and HTML engines stay off.
use_wine_dir() {
    export WINEPREFIX="$1/prefix" HOME="$1/home" XDG_RUNTIME_DIR="$1/home" TMPDIR="$1/home" WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe,winepulse.drv,winealsa.drv,mscoree,mshtml=d"
    unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
}

# Ends every process of the prefix and waits until they are gone.
stop_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# The Windows name of a file, as Wine's drive Z: shows it (print it with printf: echo would
# read its backslashes).
windows_path() {
    printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'
}

# A 1024 x 768 Xvfb showing howdy-record's desktop (sets $work, $desktop and DISPLAY) and the
# prefix in DIR; on exit the prefix's processes end before the display does.
# Usage: start_wine DIR HOWDY_RECORD
start_wine() {
    start_desktop "$2"
    use_wine_dir "$1"
    trap 'stop_wine; kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
    trap 'exit 1' INT TERM HUP PIPE
}

# --- running howdy.exe -------------------------------------------------------------------------

campaign_url=http://howdy-partner.example/lsd.html
# Where the badge comes to rest on a 1024 x 768 screen.
badge_area=262x199+369+285

# Starts howdy.exe with notehandler.exe's launches going to $work/launches.txt; waits for the
# overlay and checks that it covers the screen. Sets $pid, and $started to when it appeared.
start_howdy() {
    NOTEHANDLER_OUT=$(windows_path "$work/launches.txt") wine "$1" >"$work/wine.log" 2>&1 &
    pid=$!
    window=$(wait_for_overlay 60)
    started=$(date +%s.%N)
    [ -n "$window" ] || { echo "no overlay window appeared"; cat "$work/wine.log"; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] ||
        { echo "overlay at $X,$Y ${WIDTH}x$HEIGHT, not the whole screen"; exit 1; }
}

# Seconds since the overlay appeared, to a tenth.
elapsed() {
    awk -v since="$started" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - since }'
}

# Sleeps until SECONDS after the overlay appeared.
sleep_until() {
    sleep "$(awk -v since="$started" -v now="$(date +%s.%N)" -v at="$1" \
        'BEGIN { wait = since + at - now; print (wait > 0 ? wait : 0) }')"
}

# Waits up to SECONDS for howdy.exe to end, and sets $status to its exit status.
wait_for_exit() {
    timeout "$1" sh -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" ||
        { echo "howdy.exe still runs $(elapsed) s after the overlay appeared"; exit 1; }
    status=0
    wait "$pid" || status=$?
}

# Whether the badge rests in its place: two pictures of that place a moment apart agree, and
# show something other than the desktop.
badge_rests() {
    [ -e "$work/desktop-badge.ppm" ] || convert "$desktop" -crop $badge_area +repage "$work/desktop-badge.ppm"
    import -window root -crop $badge_area "$work/badge-1.ppm"
    sleep 0.2
    import -window root -crop $badge_area "$work/badge-2.ppm"
    cmp -s "$work/badge-1.ppm" "$work/badge-2.ppm" &&
        [ "$(compare -metric AE "$work/badge-2.ppm" "$work/desktop-badge.ppm" null: 2>&1 | cut -d' ' -f1)" -gt 20000 ]
}

# Waits until the badge rests, at most until SECONDS after the overlay appeared.
wait_for_badge() {
    until badge_rests; do
        kill -0 "$pid" 2>/dev/null || { echo "howdy.exe ended before the badge came to rest"; exit 1; }
        [ "$(awk -v t="$(elapsed)" -v limit="$1" 'BEGIN { print (t > limit) }')" = 0 ] ||
            { echo "no badge at rest $1 s after the overlay appeared"; exit 1; }
    done
}

# Checks what notehandler.exe was started with, one line a launch, once the launches are in
# (up to 10 s), and that the launcher's probe file is gone.
expect_launches() {
    expected=$(printf '%s\n' "$@")
    for _ in $(seq 100); do
        [ "$(cat "$work/launches.txt" 2>/dev/null | wc -l)" -ge $# ] && break
        sleep 0.1
    done
    got=$(cat "$work/launches.txt" 2>/dev/null || true)
    [ "$got" = "$expected" ] ||
        { printf 'notehandler.exe was started with:\n[%s]\nnot:\n[%s]\n' "$got" "$expected"; exit 1; }
    [ ! -e "$WINEPREFIX/drive_c/QXtemp1.html" ] || { echo "the launcher left C:\\QXtemp1.html behind"; exit 1; }
}
