#!/bin/sh
# howdy on KWin (Plasma 5.27), headless, installed: its entry allows it KWin's screenshot
# interface, and it passes desktop_session.sh's checks on a layer-shell overlay. (The KDE portal
# needs plasma-workspace for its dialog, which the tests do without.)
# Usage: kde_show.sh HOWDY_RECORD BUILD_DIR WAYLAND_CLIENT
record=$1 build=$2 client=$(realpath "$3")
. "$(dirname "$0")/desktop_session.sh"
[ -e "$build/install_manifest.txt" ] || at_exit="$at_exit; rm -f $build/install_manifest.txt"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
howdy=$work/prefix/games/howdy
desk_env="XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=wayland"
portal_files() { ls "$home/Pictures"; }
# KWin allows its fake input and screenshots to the client by its entry, found by the path.
printf '[Desktop Entry]\nType=Application\nName=Test client\nExec=%s\n%s\n%s\n' "$client" \
    X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2 \
    >"$home/.local/share/applications/test-client.desktop"
# Built before KWin starts: a KWin that finds no database refuses for a while what the entries allow.
as_user kbuildsycoca5 --noincremental >/dev/null 2>&1
# The packaged binary carries a file capability that a container may refuse to exec; a copy has none.
cp /usr/bin/kwin_wayland "$work/kwin_wayland"
start_session "$work/kwin_wayland" --virtual --width 1024 --height 768 --socket wayland-test --no-lockscreen \
    --no-global-shortcuts --no-kactivities
# Ready when its screenshot effect is loaded and owns its name.
within 20000 'as_user dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.kde.KWin.ScreenShot2 2>/dev/null | grep -q true' ||
    fail "KWin did not start: $(tail -n 5 "$work/session.log")"
# Without Plasma's shell the screen is black: the desktop picture on the background layer.
spawn $user $(session_env) swaybg -i "$desktop" -m center >/dev/null 2>&1
start_client $user $(session_env) "$client"
send move 1000 400
within 10000 'shot start && [ "$(differ 1024x768+0+0 "$shots/start.png")" = 0 ]' ||
    fail "KWin does not show the desktop picture"
run_checks
