#!/usr/bin/env bash
# The conversion jobs against the command-line tools doing the same work on the same files:
#   CMp3ToWavJob                      vs  mpg123 -w OUT IN
#   CWavToMp3Job at 128 kbit/s q 5    vs  lame -b 128 -q 5 -m j --nores -t --noreplaygain
#   normalising a 3-minute WAV        vs  sox --norm=-0.45 IN OUT
# and the heap allocations each job makes per block (goal: none).
# Usage: bench/jobs_vs_tools.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
tool=$build/sonvara-jobbench
out=$top/bench/out/jobs
mkdir -p "$out"
[ -x "$tool" ] || { echo "no $tool: build first"; exit 1; }

wav=$out/pcm3min.wav
quiet=$out/quiet3min.wav
mp3=$out/src.mp3
if [ ! -f "$out/.complete" ]; then
  sox -q -r 44100 -c 2 -n -e signed -b 16 "$wav" synth 180 pinknoise synth 180 sine mix 200-4000 vol 0.6
  sox -q "$wav" "$quiet" vol 0.3
  lame --quiet -b 192 "$wav" "$mp3"
  touch "$out/.complete"
fi
cat "$wav" "$quiet" "$mp3" > /dev/null

csv=$out/jobs.csv
hyperfine --style basic --warmup 1 --runs 5 --export-csv "$csv" \
  -n "mpg123 -w" "mpg123 -q -w $out/ref.wav $mp3" \
  -n "CMp3ToWavJob" "$tool mp3towav $mp3 $out/ours.wav" \
  -n "lame" "lame --quiet -b 128 -q 5 -m j --nores -t --noreplaygain $wav $out/ref.mp3" \
  -n "CWavToMp3Job" "$tool wavtomp3 $wav $out/ours.mp3" \
  -n "sox --norm" "sox $quiet $out/ref-norm.wav --norm=-0.45" \
  -p "cp $quiet $out/work.wav" -n "normalize" "$tool normalize $out/work.wav $out" >/dev/null

mean() { awk -F, -v n="$1" '$1 == n { print $2 }' "$csv"; }
{
  printf "%-14s %14s %14s %8s\n" "job" "reference (s)" "ours (s)" "ratio"
  row() { awk -v t="$1" -v r="$(mean "$2")" -v o="$(mean "$3")" -v g="$4" 'BEGIN { printf "%-14s %14.3f %14.3f %8.2f  (goal >= %s)\n", t, r, o, r / o, g }'; }
  row "MP3 -> WAV" "mpg123 -w" "CMp3ToWavJob" 0.9
  row "WAV -> MP3" "lame" "CWavToMp3Job" 0.95
  row "normalize" "sox --norm" "normalize" 1.0
  echo "allocations per job after its first block:"
  echo "  MP3 -> WAV: $("$tool" mp3towav "$mp3" "$out/ours.wav")"
  echo "  WAV -> MP3: $("$tool" wavtomp3 "$wav" "$out/ours.mp3")"
  cp "$quiet" "$out/work.wav"
  echo "  normalize : $("$tool" normalize "$out/work.wav" "$out")"
} | tee "$out/jobs.txt"
