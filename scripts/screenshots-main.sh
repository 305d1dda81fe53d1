#!/usr/bin/env bash
# Pictures of the main window under a virtual X server, driven through a generated collection
# of 50 tracks as the end-to-end test drives it: empty, after an analysis of all tracks, and
# sorted by "Check". Look at them before calling a change to the window done.
# Usage: scripts/screenshots-main.sh [OUT_DIR] [BUILD_DIR]
#        (defaults: build/screenshots/main, build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/screenshots/main}
build=${2:-$top/build/release}
mkdir -p "$out"
cmake --build "$build" --target window_tests >/dev/null
export SONVARA_SHOTS=$out SONVARA_E2E_TRACKS=50 QT_QPA_PLATFORM=xcb
# The tests' own home, as under CTest: the file dialogs keep their history there.
export HOME=$build/test-home XDG_CONFIG_HOME=$build/test-home/.config
xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/window_tests" --gtest_filter='EndToEnd.*' 2>&1 | grep -v propagateSizeHints
ls -1 "$out"/*.png
