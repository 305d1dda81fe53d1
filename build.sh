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
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$top"

configure_and_build() { # dir, extra cmake args...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
  fi
  cmake --build "$dir" -j "$jobs"
}

release() { configure_and_build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo; }
asan() { configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug -DSONVARA_SANITIZE=address; }
# The threaded code and its tests, run under ThreadSanitizer.
tsan_targets="cli_tests platform_tests runs_tests tracks_tests ui_tests window_tests sonvara-cli"
tsan_tests='AnalyzeCli|ConvertCli|RunInOrder|Runs\.|ThreadedRuns|AddingTracks|QtRunHost|AnalysisDialog|ConversionDialog|Document\.|Folders\.'
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
    scripts/install-deps.sh
    release
    (cd build/release && ctest --output-on-failure -j "$jobs")
    asan
    (cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$jobs")
    tsan
    (cd build/tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp" ctest --output-on-failure -j "$jobs" \
      -R "$tsan_tests")
    # Every fuzz target for a minute on its corpus (the long campaign: scripts/fuzz.sh 600).
    scripts/fuzz.sh "${SONVARA_FUZZ_SECONDS:-60}"
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
