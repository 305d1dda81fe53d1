#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for SECONDS on its corpus, two at a time (SONVARA_FUZZ_PARALLEL=N: N at a time).
# Findings are saved in build/fuzz/findings and make the script fail.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default 60 s, every target)
# The long campaign of the file readers: scripts/fuzz.sh 3600 mpegfile wavefile tags
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(mp3check wavefile wavecodec mpegfile tags)
build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSONVARA_FUZZ=ON -DSONVARA_BUILD_TESTS=OFF >/dev/null
fi
# Only the fuzz targets and the core they link: the window and the programs are not fuzzed.
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null
scripts/make-fuzz-seeds.sh "$build/seeds"
mkdir -p "$build/corpus" "$build/findings" "$build/logs"

run() {
  local t=$1
  mkdir -p "$build/corpus/$t"
  # Regression inputs kept in the repository run first, then the campaign from the seeds.
  local regress=()
  [ -d "fuzz/regressions/$t" ] && regress=("fuzz/regressions/$t")
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1 \
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=262144 -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
    "$build/corpus/$t" "$build/seeds/$t" "${regress[@]}" > "$build/logs/$t.log" 2>&1
}
status=0
pids=()
names=()
for t in "${targets[@]}"; do
  run "$t" & pids+=($!); names+=("$t")
  if [ ${#pids[@]} -ge "${SONVARA_FUZZ_PARALLEL:-2}" ]; then
    wait "${pids[0]}" || status=1; pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done

printf "%-10s %14s %12s %8s %8s %s\n" target executions "exec/s" cov ft result
for t in "${targets[@]}"; do
  log=$build/logs/$t.log
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1 || true)
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1 || true)
  # Edges covered and features, as libFuzzer's last status line gives them.
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
  if grep -q -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|SUMMARY: ' "$log"; then
    result="FINDING (see $log)"; status=1
  else
    result=ok
  fi
  printf "%-10s %14s %12s %8s %8s %s\n" "$t" "${execs:-0}" "${rate:-0}" "${cov:-0}" "${ft:-0}" \
    "$result"
done
exit $status
