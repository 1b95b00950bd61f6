#!/bin/sh
# Builds howdy and runs the show: on the Wayland or X display when there is one, else headless
# into howdy-show.webp.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages $BUILD_PACKAGES x11-utils

cmake --preset default >/dev/null
cmake --build --preset default --target howdy howdy-record -j "$(nproc)"

if [ -n "${WAYLAND_DISPLAY:-}" ] || { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    exec build/linux/howdy
fi
# The whole show ends by itself, after about 27.5 seconds.
build/linux/howdy-record --size 1024x768 --out howdy-show.webp
echo "No display here: the show was recorded headless to $PWD/howdy-show.webp"
