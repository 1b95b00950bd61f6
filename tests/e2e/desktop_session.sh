# Shared by kde_show.sh and gnome_show.sh: a desktop run headless as nobody in a session bus of
# its own, where the portal and the desktop's backend for it start on demand, and the checks howdy
# passes on it. The desktop's script sets desk_env (its environment), defines portal_files (the
# portal's pictures left in the home), may define before_show, and starts the input client that
# `send` drives. At exit the session's process group goes, with all the bus started.
. "$(dirname "$0")/wayland_session.sh"
home=$work/home session_group='' desk_env=''
chmod 755 "$work"
mkdir -p "$home/.config" "$home/.local/share/applications" "$home/.cache" "$home/Pictures" "$work/shots"
mkdir -m 700 "$work/run"
touch "$work/launched"
stand_in_browser "$home" "$home/.local/share" "$home/.config"
chown -R 65534:65534 "$home" "$work/run" "$work/shots" "$work/launched"
"$record" --size 1024x768 --max-frames 1 --frames "$work/desktop" >/dev/null
desktop=$work/desktop/frame-0001.png
at_exit='for signal in TERM KILL; do [ -z "$session_group" ] || kill -$signal -$session_group 2>/dev/null
    within 10000 "! kill -0 -$session_group 2>/dev/null" && break; done'

# The session's environment, and a prefix that runs a command as its user within it: a command of
# its own in the background, so that $! is that command.
session_env() {
    echo PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$home/.config" \
        XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" XDG_DATA_DIRS="$work/prefix/share:/usr/share" \
        XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-test DBUS_SESSION_BUS_ADDRESS="$(cat "$work/run/bus" 2>/dev/null)" \
        $desk_env
}
user="setpriv --reuid=65534 --regid=65534 --clear-groups env -i"
as_user() { $user $(session_env) "$@"; }

# start_session COMMAND...: the compositor, in a session bus whose address goes to $work/run/bus.
start_session() {
    setsid $user $(session_env) dbus-run-session -- \
        sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/bus.new" && mv "$XDG_RUNTIME_DIR/bus.new" \
            "$XDG_RUNTIME_DIR/bus" && exec "$@"' sh "$@" >"$work/session.log" 2>&1 &
    session_group=$!
    within 30000 '[ -S "$work/run/wayland-test" ] && [ -s "$work/run/bus" ]' ||
        fail "the desktop did not start: $(tail -n 5 "$work/session.log")"
}

shots=$work/shots
shot() { send shot "$shots/$1.png"; }

run_howdy() {
    $user $(session_env) "$@" "$howdy" >"$work/out" 2>"$work/err" &
    pid=$!
}

# After each show: nothing on standard error, and the portal's picture file is gone.
clean_end() {
    quiet
    check '[ -z "$(portal_files)" ]' "the portal's file is left: $(portal_files)"
}

# The overlay is the snapshot, pointer left out; Esc ends the show. The menu at the pointer; the
# exit timer opens the page and ends the show.
run_checks() {
    show_starts
    walker_only "the walker" "$shots/before.png"
    send key escape
    ended Esc 5000
    clean_end

    send move 600 300
    show_starts
    menu_at_pointer
    ended "the exit timer" 40000
    opened_once
    clean_end
}
