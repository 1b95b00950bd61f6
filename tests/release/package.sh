#!/bin/sh
# The Debian package as a user gets it: made, linted, validated, installed, run from the installed
# paths alone and purged without a trace; the machine is left as found, even on failure (skipped,
# 77, with howdy installed already; what the installation brings in goes again with it).
# Usage: package.sh BUILD_DIR VERSION
build=$1 version=$2
. "$(dirname "$0")/../e2e/lib.sh"
apt="apt-get -q -y -o DPkg::Lock::Timeout=900"
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" != 0 ] || dpkg-query -W -f='${Status}' howdy 2>/dev/null | grep -q ' installed$'; then
    echo "skipped: this needs root, and no howdy package installed" && exit 77
fi
quiet() { "$@" >"$work/log" 2>&1 || { cat "$work/log"; fail "$*"; }; }
quiet cpack -G DEB -B "$work/cpack" --config "$build/CPackConfig.cmake"
deb=$work/cpack/howdy_${version}_amd64.deb
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $(dpkg-deb -f "$deb" Depends)"
{ lintian -I --pedantic --fail-on error,warning "$deb" 2>&1 || echo "lintian failed: $?"; } | tee "$work/lint"
! grep -q '^lintian failed' "$work/lint" || fail lintian
dpkg-deb -x "$deb" "$work/root"
id=$(basename "$(ls "$work"/root/usr/share/applications/*.desktop)" .desktop)
problems=$(desktop-file-validate "$work/root/usr/share/applications/$id.desktop" 2>&1) && [ -z "$problems" ] ||
    fail "desktop-file-validate: $problems"
# The AppStream component with the desktop entry it launches.
quiet appstreamcli validate-tree --no-net "$work/root"
for page in "$work"/root/usr/share/man/man*/*; do
    problems=$(zcat "$page" | groff -man -ww -z 2>&1; MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$problems" ] || fail "$(basename "$page"): $problems"
done
notes="$(zcat "$work/root/usr/share/doc/howdy/changelog.gz" | head -n 1 | cut -d' ' -f1,2) $(grep -o -m 1 \
    '<release version="[^"]*"' "$work/root/usr/share/metainfo/$id.metainfo.xml")"
[ "$notes" = "howdy ($version) <release version=\"$version\"" ] || fail "the latest release notes: $notes"

# Installed, with whatever apt-get brings in beside it, all purged again on the way out.
installed=$($apt -s install "$deb" | sed -n 's/^Inst \([^ ]*\) .*/\1/p' | tr '\n' ' ')
echo "apt-get installs: $installed" | grep -w howdy || fail "apt-get would not install howdy"
chmod 755 "$work" && at_exit='$apt purge $installed >/dev/null 2>&1'
quiet $apt install "$deb"
dpkg -L howdy >"$work/files"
# From the installed paths alone: a bare environment, at the root.
bare="env -i PATH=/usr/games:/usr/bin:/bin HOME=$work LC_ALL=C.UTF-8"
answer=$(cd / && $bare howdy --version) && [ "$answer" = "howdy $version" ] || fail "howdy --version: $answer"
(cd / && $bare howdy-record --max-frames 5 --out "$work/x.webp") || fail "the installed howdy-record failed"
[ "$(head -c 4 "$work/x.webp")$(tail -c +9 "$work/x.webp" | head -c 4)" = RIFFWEBP ] || fail "no WebP written"
# The entry's icon at every size (lintian checks its command), its id the Wayland overlay's app id.
icon=$(sed -n 's/^Icon=//p' "/usr/share/applications/$id.desktop")
icons=$(ls /usr/share/icons/hicolor/*/apps/"$icon.png" | sed 's|.*/hicolor/\([0-9]*\)x.*|\1|' | sort -n | tr '\n' ' ')
[ "$icons" = "16 24 32 48 64 128 256 " ] || fail "the icon $icon at $icons"
grep -q -F "$id" /usr/games/howdy || fail "howdy's Wayland app id is not $id"

# Purged (apt-get waits for others, then runs dpkg --purge): of dpkg -L, only shared folders stay.
quiet $apt purge $installed
at_exit=''
while read -r path; do
    [ "$path" != /. ] && [ -e "$path" ] || continue
    [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1 || echo "$path" >>"$work/left"
done <"$work/files"
[ ! -s "$work/left" ] || fail "the purge left $(tr '\n' ' ' <"$work/left")"
