# Debian packages the build and the tests need, and a function that installs the missing ones.

BUILD_PACKAGES="cmake make g++ pkg-config zlib1g-dev libpng-dev libwebp-dev libx11-dev libxext-dev
  libxrandr-dev libxfixes-dev libxtst-dev libasound2-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core libgtest-dev
  libbenchmark-dev binutils-mingw-w64-x86-64 libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev
  libsystemd-dev"
TEST_PACKAGES="g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 xvfb x11-utils x11-xserver-utils xdotool imagemagick
  openbox python3 python3-pil clang libclang-rt-14-dev xdg-utils time
  sway swaybg grim wtype weston dbus-daemon dbus-bin xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
  pipewire-bin python3-dbus python3-gi
  dpkg-dev lintian desktop-file-utils appstream groff-base man-db python3-pefile"
# KDE Plasma's and GNOME's compositors and portals, for their end-to-end tests: some 280 packages.
DESKTOP_PACKAGES="kwin-wayland xdg-desktop-portal-kde gnome-shell xdg-desktop-portal-gnome"

install_packages() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}
