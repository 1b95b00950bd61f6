#!/bin/sh
# Builds both programs (Linux and the Windows cross build) and runs every test: unit and
# integration tests, media checks, end-to-end runs under Xvfb and Wine.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages $BUILD_PACKAGES $TEST_PACKAGES

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)"
cmake --preset default -DHOWDY_WINDOWS_EXE="$PWD/build/mingw/howdy.exe" >/dev/null
cmake --build --preset default -j "$(nproc)"
ctest --preset default -j "$(nproc)"
