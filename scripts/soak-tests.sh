#!/usr/bin/env bash
# Runs the window, dialog, document, frame, start-up, CLI and player suites (real sound too) of the release build
# N times in a row while every core is kept busy by a load this script starts and stops itself,
# and names each failing test with its round. A test that fails once in twenty rounds is a
# defect: the bar is `scripts/soak-tests.sh 20` with no failure.
#   scripts/soak-tests.sh [N] [BUILD_DIR]     (default: 20 rounds, build/release)
# SONVARA_SOAK_SHELL=0 leaves out the programs driven from outside under Xvfb;
# SONVARA_SOAK_SUITES="a_tests b_tests" soaks only those suites ("" for the Xvfb programs alone).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-20}
build=$(cd "${2:-$top/build/release}" && pwd)
read -r -a suites <<<"${SONVARA_SOAK_SUITES-window_tests ui_tests app_tests ui_sheet_tests cli_tests playback_tests playback_sound_tests}"
for s in "${suites[@]}"; do
  [ -x "$build/tests/$s" ] || { echo "no $build/tests/$s: build the release configuration first" >&2; exit 2; }
done

work=$(mktemp -d)
load=()
stop_load() {
  for p in "${load[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop_load EXIT
# The load: one busy loop per core, at the tests' own priority.
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  load+=($!)
done

# The tests' home and settings stay inside the work folder, as under CTest.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_STATE_HOME=$work/home/.local/state
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"

# The logs of failed runs are kept in the build folder.
kept=$build/soak
rm -rf "$kept"
mkdir -p "$kept"
failures=0
start=$(date +%s)
for round in $(seq "$rounds"); do
  for s in "${suites[@]}"; do
    log=$work/$s.$round.log
    if ! QT_QPA_PLATFORM=offscreen "$build/tests/$s" > "$log" 2>&1; then
      names=$(sed -n 's/^\[  FAILED  \] \([A-Za-z_][^ ,]*\.[^ ,]*\).*/\1/p' "$log" | sort -u | tr '\n' ' ')
      echo "round $round: $s failed: ${names:-(no test named; the suite ended: $(tail -n 1 "$log"))}"
      cp "$log" "$kept/$s-round$round.log"
      failures=$((failures + 1))
    fi
  done
  if [ "${SONVARA_SOAK_SHELL:-1}" != 0 ]; then
    if ! (cd "$build" && ctest -R '^Shell\.' --output-on-failure > "$work/shell.$round.log" 2>&1); then
      echo "round $round: $(grep -E '^\s*[0-9]+ - Shell\.' "$work/shell.$round.log" | sed 's/^ *[0-9]* - //' | tr '\n' ' ')"
      cp "$work/shell.$round.log" "$kept/shell-round$round.log"
      failures=$((failures + 1))
    fi
  fi
  echo "round $round of $rounds done ($(( $(date +%s) - start )) s, $failures failures so far)"
done
echo "soak: $rounds rounds, $failures failed suite runs (logs of failures in $kept)"
[ "$failures" -eq 0 ]
