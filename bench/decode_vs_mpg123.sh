#!/usr/bin/env bash
# Full-decode verification: `sonvara-cli analyze --decode` against `mpg123 -t` (decode, no
# output) on the same files, in one run: one copy of each encoding of the analyze corpus
# (bench/analyze_vs_mp3val.sh makes it), about 60 MB, 65 minutes of audio.
# Usage: bench/decode_vs_mpg123.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
cli=$build/sonvara-cli
corpus=$top/bench/out/mp3corpus
for tool in mpg123 hyperfine; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run ./build.sh build first)"; exit 1; }
done
[ -f "$corpus/.complete" ] || "$top/bench/analyze_vs_mp3val.sh" "$build" >/dev/null
set_dir=$top/bench/out/decodeset
rm -rf "$set_dir"; mkdir -p "$set_dir"; cp "$corpus"/c0_*.mp3 "$set_dir/"
mb=$(du -sm "$set_dir" | cut -f1)
cat "$set_dir"/*.mp3 > /dev/null
csv=$top/bench/out/decode_vs_mpg123.csv
hyperfine --style basic --warmup 1 --runs 3 --export-csv "$csv" \
  -n "mpg123 -t" "mpg123 -q -t $set_dir/*.mp3" \
  -n "sonvara-cli analyze --decode -j 1" "$cli analyze --decode -j 1 $set_dir > /dev/null 2>&1" \
  -n "sonvara-cli analyze --decode -j 2" "$cli analyze --decode -j 2 $set_dir > /dev/null 2>&1" >/dev/null
awk -F, -v mb="$mb" 'NR > 1 { printf "%-36s %8.2f s %8.1f MB/s\n", $1, $2, mb / $2 }' "$csv" |
  tee "$top/bench/out/decode_vs_mpg123.txt"
