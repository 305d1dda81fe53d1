#!/usr/bin/env bash
# MP3 decoding and encoding against Debian's mpg123 and lame on the same files, in one run:
#   decoding a set of MP3 files through Read (32768-byte requests)  vs  mpg123 -s FILES > /dev/null
#   encoding 3 minutes of PCM through EncodeSamples, 128 kbit/s q 5  vs  lame -b 128 -q 5 -m j --nores -t --noreplaygain
# and, for the record, what opening a file costs with its exact-length scan.
# Usage: bench/mp3_vs_mpg123_lame.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
tool=$build/sonvara-mp3bench
out=$top/bench/out/mp3
mkdir -p "$out"
[ -x "$tool" ] || { echo "no $tool: build first"; exit 1; }

wav=$out/pcm3min.wav
if [ ! -f "$out/.complete" ]; then
  sox -q -r 44100 -c 2 -n -e signed -b 16 "$wav" synth 180 pinknoise synth 180 sine mix 200-4000 vol 0.6
  sox -q -r 44100 -c 1 -n -e signed -b 16 "$out/mono.wav" synth 120 brownnoise vol 0.6
  sox -q "$wav" -r 22050 "$out/half.wav"
  lame --quiet -b 128 "$wav" "$out/cbr128.mp3"
  lame --quiet -V 2 "$wav" "$out/vbr2.mp3"
  lame --quiet -b 64 -m m "$out/mono.wav" "$out/mono64.mp3"
  lame --quiet -b 64 "$out/half.wav" "$out/mpeg2.mp3"
  touch "$out/.complete"
fi
set_files=("$out/cbr128.mp3" "$out/vbr2.mp3" "$out/mono64.mp3" "$out/mpeg2.mp3")
cat "${set_files[@]}" "$wav" > /dev/null

csv=$out/mp3_vs.csv
hyperfine --style basic --warmup 1 --runs 5 --export-csv "$csv" \
  -n "mpg123 decode" "mpg123 -q -s ${set_files[*]} > /dev/null" \
  -n "ours decode" "$tool decode ${set_files[*]} > /dev/null" \
  -n "lame encode" "lame --quiet -b 128 -q 5 -m j --nores -t --noreplaygain $wav $out/lame.mp3" \
  -n "ours encode" "$tool encode $wav $out/ours.mp3" >/dev/null

mean() { awk -F, -v n="$1" '$1 == n { print $2 }' "$csv"; }
{
  printf "%-10s %14s %14s %8s\n" "task" "reference (s)" "ours (s)" "ratio"
  awk -v r="$(mean "mpg123 decode")" -v o="$(mean "ours decode")" 'BEGIN { printf "%-10s %14.3f %14.3f %8.2f\n", "decode", r, o, r / o }'
  awk -v r="$(mean "lame encode")" -v o="$(mean "ours encode")" 'BEGIN { printf "%-10s %14.3f %14.3f %8.2f\n", "encode", r, o, r / o }'
  echo "(ratio = reference time / our time; goal >= 0.95)"
  corpus=$top/bench/out/mp3corpus
  if [ -d "$corpus" ]; then
    n=$(ls "$corpus"/*.mp3 | wc -l); mb=$(du -sm "$corpus" | cut -f1)
    start=$(date +%s.%N); "$tool" open "$corpus"/*.mp3 > /dev/null; end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" -v n="$n" -v mb="$mb" 'BEGIN { printf "opening %d files (%d MB) with the exact-length scan: %.3f s, %.1f ms a file\n", n, mb, e - s, (e - s) * 1000 / n }'
  fi
} | tee "$out/mp3_vs.txt"
