#!/bin/sh
# Builds both programs (Linux and the Windows cross build) and runs every test: unit and
# integration tests, media checks, end-to-end runs under Xvfb and Wine, the suite again under
# the sanitizers, and a minute of fuzzing the PNG decoder.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages $BUILD_PACKAGES $TEST_PACKAGES
# The desktops' packages, most of the installing, come in while the programs build.
desktops_log=$(mktemp)
install_packages $DESKTOP_PACKAGES >"$desktops_log" 2>&1 &
desktops=$!

# The Windows build must compile without a warning.
cmake --preset mingw -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build --preset mingw -j "$(nproc)"
cmake --preset default -DHOWDY_WINDOWS_EXE="$PWD/build/mingw/howdy.exe" >/dev/null
cmake --build --preset default -j "$(nproc)"
wait $desktops || { cat "$desktops_log"; exit 1; }
rm -f "$desktops_log"
ctest --preset default -j "$(nproc)"

# The suite again under AddressSanitizer with UndefinedBehaviorSanitizer. Wine and the media
# checks run none of the sanitized code, and the package is made from the ordinary build; KDE's
# and GNOME's runs take the Wayland backend's paths that sway's runs take here, but KWin's route.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$(nproc)"
ctest --preset asan -j "$(nproc)" -E '^(e2e\.(wine|kde|gnome)|media|release)'

# And under ThreadSanitizer, what runs on more than one thread: the render thread drawing and
# arming the timer while the main thread pumps input, hit-tests and runs the launcher; messages
# and timers across threads; the menu's loop, ended from another thread; the X11 backend with its
# input thread under Xvfb, the Wayland one under Weston. (The pixel work is single-threaded, and
# ten times slower under this sanitizer: too slow for the monitors' cursor checks, which race the
# exit timer.)
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$(nproc)"
ctest --preset tsan -j "$(nproc)" -R '^(Controls\.OnlyTheBadge|MenuLoop|InputStorm\.EndsBy|Messages|Clock|Windows|LiveDesktop|e2e\.(x11_(show|faults|wm|start)|wayland_weston))'

# A fresh minute of fuzzing, from the seed corpus; any crash input is kept for inspection and
# fails the run.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
fuzz=$(mktemp -d)
mkdir "$fuzz/corpus" "$fuzz/crashes"
cp tests/fuzz/corpus/* "$fuzz/corpus/"
if ! build/fuzz/tests/fuzz/png_fuzzer "$fuzz/corpus" -max_total_time=60 -artifact_prefix="$fuzz/crashes/" \
    >"$fuzz/log" 2>&1; then
    tail -n 40 "$fuzz/log"
    echo "The decoder's fuzzer found a crash: $fuzz/crashes/ (keep it in tests/fuzz/crashes/)"
    exit 1
fi
grep -E "^Done|stat::number_of_executed_units" "$fuzz/log" || tail -n 2 "$fuzz/log"
rm -rf "$fuzz"
