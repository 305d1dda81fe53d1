#!/usr/bin/env bash
# WAV reading and IMA ADPCM coding against sox on the same 3-minute files, in one run:
#   reading 44100/16/2 PCM through Read in 32768-byte requests   vs  sox FILE -t raw /dev/null
#   decoding IMA ADPCM to PCM the same way                        vs  sox IMA -t raw -b 16 /dev/null
#   encoding PCM to IMA ADPCM through WriteData                   vs  sox PCM -e ima-adpcm OUT
# Usage: bench/wave_vs_sox.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
tool=$build/sonvara-wavebench
out=$top/bench/out/wave
mkdir -p "$out"
[ -x "$tool" ] || { echo "no $tool: build first"; exit 1; }

pcm=$out/pcm3min.wav
ima=$out/ima3min.wav
if [ ! -f "$ima" ]; then
  sox -q -r 44100 -c 2 -n -e signed -b 16 "$pcm" synth 180 pinknoise synth 180 sine mix 200-4000 vol 0.6
  sox -q "$pcm" -e ima-adpcm "$ima"
fi
cat "$pcm" "$ima" > /dev/null

csv=$out/wave_vs_sox.csv
hyperfine --style basic --warmup 2 --runs 10 --export-csv "$csv" \
  -n "sox read pcm" "sox $pcm -t raw /dev/null" \
  -n "ours read pcm" "$tool read $pcm" \
  -n "sox decode ima" "sox $ima -t raw -e signed -b 16 /dev/null" \
  -n "ours decode ima" "$tool read $ima" \
  -n "sox encode ima" "sox $pcm -e ima-adpcm $out/sox-out.wav" \
  -n "ours encode ima" "$tool encode $pcm $out/our-out.wav" >/dev/null

mean() { awk -F, -v n="$1" '$1 == n { print $2 }' "$csv"; }
{
  printf "%-18s %12s %12s %8s\n" "task" "sox (s)" "ours (s)" "ratio"
  for task in "read pcm" "decode ima" "encode ima"; do
    s=$(mean "sox $task"); o=$(mean "ours $task")
    awk -v t="$task" -v s="$s" -v o="$o" 'BEGIN { printf "%-18s %12.4f %12.4f %8.2f\n", t, s, o, s / o }'
  done
  echo "(ratio = sox time / our time; goal >= 1.0)"
} | tee "$out/wave_vs_sox.txt"
