#!/bin/sh
# howdy on GNOME Shell 43, headless, through the screenshot portal: a stored Deny ends it at once
# with a line that says how to forget it; after an Allow it passes desktop_session.sh's checks on a
# fullscreen window over the top bar.
# Usage: gnome_show.sh HOWDY_RECORD HOWDY GNOME_CLIENT
record=$1 howdy=$2 client=$3
. "$(dirname "$0")/desktop_session.sh"
desk_env="XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/run/system"
portal_files() { ls "$home" "$home/Pictures" | grep Screenshot; }
# The top bar's clock must not turn a minute between a show's pictures.
before_show() { within 20000 '[ "$(date +%S)" -lt 45 ]'; }
# The shell stops without a system bus (it makes proxies for logind and UPower there): an empty one.
printf '<busconfig><type>system</type><listen>unix:path=%s</listen><auth>EXTERNAL</auth><policy context="default">
    <allow user="*"/><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
    </policy></busconfig>\n' "$work/run/system" >"$work/system.conf"
start_session sh -c 'dbus-daemon --nofork --config-file="$0" & exec gnome-shell --headless --wayland --no-x11 \
    --virtual-monitor 1024x768 --wayland-display wayland-test' "$work/system.conf"
# Input or settings sent before this line have hung the shell for good.
within 90000 'grep -q "GNOME Shell started" "$work/session.log"' ||
    fail "GNOME Shell did not start: $(tail -n 5 "$work/session.log")"
for setting in "background picture-uri file://$desktop" "background picture-uri-dark file://$desktop" \
    "background picture-options centered" "notifications show-banners false"; do
    as_user gsettings set org.gnome.desktop.$setting
done
start_client $user $(session_env) /usr/bin/python3 "$client"
send move 1000 400
# The shell starts in its overview; Esc closes it.
within 15000 'send key escape; sleep 0.7; shot start && [ "$(differ 1024x730+0+38 "$shots/start.png")" = 0 ]' ||
    fail "GNOME's overview did not close"

# What the shell's question stores for programs outside a sandbox (app id ""): Deny, then Allow.
answer() {
    as_user dbus-send --session --print-reply --dest=org.freedesktop.impl.portal.PermissionStore \
        /org/freedesktop/impl/portal/PermissionStore org.freedesktop.impl.portal.PermissionStore.SetPermission \
        string:screenshot boolean:true string:screenshot string: array:string:$1 >/dev/null
}
answer no
run_howdy
ended "after a Deny" 30000 1
grep -q "remembers a Deny.*DeletePermission screenshot screenshot ''$" "$work/err" && [ "$(wc -l <"$work/err")" = 1 ] ||
    fail "after a Deny howdy says: $(cat "$work/err")"
answer yes
run_checks
