#!/usr/bin/env bash
# Pictures of the run dialogs in the middle of their runs and of the options sheet, made under
# a virtual X server so that a person can look at them.
#   scripts/screenshots-dialogs.sh OUT_DIR [BUILD_DIR]     (BUILD_DIR default: build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: scripts/screenshots-dialogs.sh OUT_DIR [BUILD_DIR]}
build=${2:-$top/build/release}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target ui_tests

# A real X server (xcb), not the offscreen platform, so that the pictures show what a user sees.
# The tests' own home, as under CTest.
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb SONVARA_SCREENSHOT_DIR="$out" \
  HOME="$build/test-home" XDG_CONFIG_HOME="$build/test-home/.config" \
  xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/ui_tests" --gtest_filter='Screenshots.*:ConversionShots.*'
ls -l "$out"/*.png
