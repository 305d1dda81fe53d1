#!/usr/bin/env bash
# One entry point for set-up, building, running and testing.
#   ./build.sh run               install packages, build, start the window program
#   ./build.sh test              install packages, build, run every test (plain and sanitizer builds)
#   ./build.sh build             install packages and build the release configuration only
#   ./build.sh bench             install packages, build, run the benchmarks under bench/
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)

# ccache keeps rebuilds of unchanged files cheap across configurations and clean clones.
# With paths taken relative to the checkout, a fresh clone elsewhere reuses the cache too.
# The compile flags map the checkout's folder to "." in the debug information (CMakeLists.txt),
# so ccache need not hash the folder.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$top"

# Each stage's time, printed at the end of the run (also when a stage failed).
stage_times=()
stage() { # stage NAME COMMAND...   (its time is noted, also when it fails)
  local name=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  stage_times+=("$(printf '%-16s %5d s%s' "$name" $((SECONDS - start)) \
    "$([ $status -eq 0 ] || echo "  (failed: $status)")")")
  return $status
}
print_stage_times() {
  [ ${#stage_times[@]} -gt 0 ] || return 0
  echo "== stage times =="
  printf '%s\n' "${stage_times[@]}"
  printf '%-16s %5d s\n' total "$SECONDS"
}

configure_and_build() { # dir, extra cmake args...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
  fi
  cmake --build "$dir" -j "$jobs"
}

release() { configure_and_build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo; }
asan() { configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug -DSONVARA_SANITIZE=address; }
# The threaded code and its tests, run under ThreadSanitizer, and the planted race that proves
# the suppressions leave our races visible.
tsan_targets="cli_tests platform_tests runs_tests tracks_tests ui_tests window_tests sonvara-cli tsan_planted_race"
tsan_labels='^(cli_tests|platform_tests|runs_tests|tracks_tests|ui_tests|window_tests|tsan)$'
tsan() { # only what crosses threads
  if [ ! -f build/tsan/build.ninja ]; then
    cmake -S . -B build/tsan -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DSONVARA_SANITIZE=thread
  fi
  cmake --build build/tsan -j "$jobs" --target $tsan_targets
}

cmd=${1:-}
[ $# -gt 0 ] && shift
case "$cmd" in
  run)
    scripts/install-deps.sh
    release
    exec build/release/sonvara "$@"
    ;;
  build)
    scripts/install-deps.sh
    release
    ;;
  test)
    trap print_stage_times EXIT
    stage packages scripts/install-deps.sh
    stage "release build" release
    # Every test once here; the sanitizer builds leave out what does not depend on the build
    # (label "once"), the programs driven under Xvfb ("xvfb") and real-time sound.
    stage "release tests" bash -c 'cd build/release && ctest --output-on-failure -j "$0"' "$jobs"
    stage "asan build" asan
    stage "asan tests" bash -c 'cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      LSAN_OPTIONS="suppressions=$1/scripts/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --output-on-failure -j "$0" -LE "once|xvfb|playback_sound_tests"' "$jobs" "$top"
    stage "tsan build" tsan
    stage "tsan tests" bash -c 'cd build/tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$1/tests/tsan.supp" \
      ctest --output-on-failure -j "$0" -L "$2"' "$jobs" "$top" "$tsan_labels"
    # Every fuzz target for a short campaign on its seeds; their stored findings are replayed in
    # every build above (FuzzRegressions.*). The long campaign: scripts/fuzz.sh 600.
    stage fuzz scripts/fuzz.sh "${SONVARA_FUZZ_SECONDS:-30}"
    ;;
  bench)
    scripts/install-deps.sh
    release
    for b in bench/*.sh; do bash "$b"; done
    ;;
  *)
    sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
    [ -z "$cmd" ] && exit 2
    [ "$cmd" = "-h" ] || [ "$cmd" = "--help" ] || exit 2
    ;;
esac
