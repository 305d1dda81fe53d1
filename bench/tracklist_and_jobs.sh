#!/usr/bin/env bash
# The working list at 10 000 / 100 000 / 1 000 000 records (Google Benchmark), and
# sonvara-cli wav-to-mp3 over 20 WAV files with -j 1 and -j 2 in the same run.
# Usage: bench/tracklist_and_jobs.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
out=$top/bench/out/tracklist
mkdir -p "$out"
[ "${SKIP_LIST:-}" = 1 ] || "$build/sonvara-tracklist-bench" --benchmark_min_time=0.2 | tee "$out/tracklist.txt"

wavs=$out/wavs
if [ ! -f "$wavs/.complete" ]; then
  mkdir -p "$wavs"
  for i in $(seq 1 20); do
    sox -q -r 44100 -c 2 -n -e signed -b 16 "$wavs/t$i.wav" synth 30 pinknoise synth 30 sine mix $((100 * i))-4000 vol 0.5
  done
  touch "$wavs/.complete"
fi
printf '[GeneralProperties]\nTrackDir=%s\n' "$out/mp3" > "$out/cfg.ini"
export SONVARA_CONFIG=$out/cfg.ini
hyperfine --style basic --warmup 1 --runs 3 --export-csv "$out/jobs.csv" \
  -n "j1" "$build/sonvara-cli wav-to-mp3 --yes -j 1 $wavs > /dev/null 2>&1" \
  -n "j2" "$build/sonvara-cli wav-to-mp3 --yes -j 2 $wavs > /dev/null 2>&1" >/dev/null
awk -F, '$1 == "j1" { a = $2 } $1 == "j2" { b = $2 } END {
  printf "wav-to-mp3 over 20 files: -j 1 %.2f s, -j 2 %.2f s, speed-up %.2f (goal >= 1.8)\n", a, b, a / b }' \
  "$out/jobs.csv" | tee -a "$out/tracklist.txt"
