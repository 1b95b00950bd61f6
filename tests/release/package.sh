#!/bin/sh
# The Debian package as a user gets it: cpack makes it from the build; lintian and the checkers of
# desktop entries, AppStream components and manual pages pass it; apt-get installs it, its
# programs run from the installed paths alone, and dpkg --purge leaves none of its files behind.
# The machine is left as it was found, even when a check fails: with a howdy package installed
# already the check does not run (status 77, skipped), and whatever the installation brought in
# beside the package is purged with it.
# Usage: package.sh BUILD_DIR VERSION
set -eu
build=$1 version=$2
apt="apt-get -q -y -o DPkg::Lock::Timeout=900"
export DEBIAN_FRONTEND=noninteractive
started=$(date +%s)

fail() {
    echo "FAIL: $*"
    exit 1
}
[ "$(id -u)" = 0 ] || { echo "installing a package needs root: skipped"; exit 77; }
if dpkg-query -W -f='${Status}' howdy 2>/dev/null | grep -q ' installed$'; then
    echo "a howdy package is installed already: remove it to run this check"
    exit 77
fi

work=$(mktemp -d)
# apt reads the package as its own unprivileged user.
chmod 755 "$work"
installed=""
cleanup() {
    status=$?
    [ -z "$installed" ] || $apt purge $installed >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; status=1; }
    rm -rf "$work"
    exit $status
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# --- the package and its contents, checked before it is installed ----------------------------------
cpack -G DEB -B "$work/cpack" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/cpack/howdy_${version}_amd64.deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$work/cpack")"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# dpkg-shlibdeps names the C library, with the version the binaries need, and the others.
echo "$depends" | grep -q 'libc6 (>= [0-9.]*)' || fail "Depends is not dpkg-shlibdeps' list"

lintian_status=0
lintian --display-info --pedantic --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root' "$work/lintian.log" || true
[ $lintian_status = 0 ] || fail "lintian"

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop=$(ls "$root"/usr/share/applications/*.desktop)
id=$(basename "$desktop" .desktop)
problems=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$problems" ] || fail "desktop-file-validate: $problems"
# The AppStream component with the desktop entry it launches, the icon it names and its own checks.
appstreamcli validate-tree --no-net "$root" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate-tree"; }
grep -q "^ *<id>$id</id>$" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream component's id is not the desktop entry's, $id"
for page in "$root"/usr/share/man/man*/*; do
    problems=$(zcat "$page" | groff -man -ww -z 2>&1; MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$problems" ] || fail "$(basename "$page"): $problems"
done
# Release notes for this version, in Debian's changelog and in the AppStream component.
zcat "$root/usr/share/doc/howdy/changelog.gz" | head -n 1 | grep -q "^howdy ($version) " ||
    fail "the changelog's latest entry is not $version"
grep -m 1 '<release ' "$root/usr/share/metainfo/$id.metainfo.xml" | grep -q "version=\"$version\"" ||
    fail "the AppStream component's latest release is not $version"

# --- installed ---------------------------------------------------------------------------------
# Whatever apt-get would install beside the package goes again with it.
installed=$($apt -s install "$deb" | sed -n 's/^Inst \([^ ]*\) .*/\1/p' | tr '\n' ' ')
echo "$installed" | grep -qw howdy || fail "apt-get would not install howdy: $installed"
echo "apt-get installs: $installed"
$apt install "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install"; }
dpkg -L howdy >"$work/files"

# The programs from the installed paths alone: a bare environment, at the root, the build nowhere
# on the path, nor named in the binaries.
bare="env -i PATH=/usr/games:/usr/bin:/bin HOME=$work LC_ALL=C.UTF-8"
answer=$(cd / && $bare howdy --version) || fail "the installed howdy --version failed"
[ "$answer" = "howdy $version" ] || fail "the installed howdy --version says '$answer'"
(cd / && $bare howdy-record --max-frames 5 --out "$work/x.webp") || fail "the installed howdy-record failed"
[ "$(head -c 4 "$work/x.webp")$(dd if="$work/x.webp" bs=1 skip=8 count=4 2>/dev/null)" = RIFFWEBP ] ||
    fail "the installed howdy-record wrote no WebP"
programs="/usr/games/howdy /usr/games/howdy-record"
! grep -l -F "$(cd "$build" && pwd -P)" $programs || fail "the installed programs name the build folder"

# The desktop entry starts the installed program, finds its icon at every size, and the Wayland
# overlay names the same id.
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "/usr/share/applications/$id.desktop")
[ "$(cd / && $bare sh -c "command -v $exec_command")" = /usr/games/howdy ] || fail "Exec=$exec_command is not howdy"
icon=$(sed -n 's/^Icon=//p' "/usr/share/applications/$id.desktop")
for size in 16 24 32 48 64 128 256; do
    [ -f "/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" ] || fail "no ${size}x$size icon $icon"
done
grep -q -F "$id" /usr/games/howdy || fail "howdy's Wayland app id is not $id"

# --- purged (apt-get waits for other installations, then runs dpkg --purge) ----------------------
$apt purge $installed >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "apt-get purge"; }
installed=""
while read -r path; do
    [ "$path" != /. ] && [ -e "$path" ] || continue
    # A folder stays where another package has it too.
    [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
    echo "$path" >>"$work/left"
done <"$work/files"
[ ! -s "$work/left" ] || fail "dpkg --purge left $(tr '\n' ' ' <"$work/left")"
echo "built, checked, installed, run and purged in $(($(date +%s) - started)) s"
