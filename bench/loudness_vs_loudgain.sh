#!/usr/bin/env bash
# Loudness measurement (EBU R 128) against Debian's loudgain and ffmpeg's ebur128 filter on the
# same MP3 files, one thread each, in one run, and against decoding the files alone:
#   sonvara-cli loudness -j 1 FILES          vs  loudgain -q FILES  (one thread, libebur128)
#                                            vs  ffmpeg -af ebur128=peak=true per file
#   sonvara-mp3bench decode FILES            (the same decoder without measuring)
# Goals: at least as fast as loudgain (ratio >= 1), measuring costs at most decoding + 20 %.
# Also prints each file's integrated loudness by the three meters side by side.
# Usage: bench/loudness_vs_loudgain.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
cli=$build/sonvara-cli
dec=$build/sonvara-mp3bench
out=$top/bench/out/loudness
mkdir -p "$out"
for t in "$cli" "$dec"; do [ -x "$t" ] || { echo "no $t: build first"; exit 1; }; done

if [ ! -f "$out/.complete" ]; then
  sox -q -r 44100 -c 2 -n -e signed -b 16 "$out/music.wav" synth 180 pinknoise synth 180 sine mix 200-4000 tremolo 0.3 60 vol 0.6
  sox -q -r 48000 -c 2 -n -e signed -b 16 "$out/speech.wav" synth 180 brownnoise tremolo 3 90 vol 0.5
  sox -q -r 44100 -c 1 -n -e signed -b 16 "$out/mono.wav" synth 180 pinknoise vol 0.4
  lame --quiet -b 128 "$out/music.wav" "$out/cbr128.mp3"
  lame --quiet -V 2 "$out/music.wav" "$out/vbr2.mp3"
  lame --quiet -b 320 "$out/speech.wav" "$out/cbr320-48k.mp3"
  lame --quiet -b 96 -m m "$out/mono.wav" "$out/mono96.mp3"
  rm -f "$out"/*.wav
  touch "$out/.complete"
fi
files=("$out/cbr128.mp3" "$out/vbr2.mp3" "$out/cbr320-48k.mp3" "$out/mono96.mp3")
cat "${files[@]}" > /dev/null

csv=$out/loudness_vs.csv
ffm="for f in ${files[*]}; do ffmpeg -nostats -hide_banner -loglevel error -i \$f -af ebur128=peak=true -f null -; done"
hyperfine --style basic --warmup 1 --runs 5 --export-csv "$csv" \
  -n "decode only" "$dec decode ${files[*]} > /dev/null" \
  -n "ours" "$cli loudness -j 1 ${files[*]} > /dev/null" \
  -n "loudgain" "loudgain -q ${files[*]} > /dev/null 2>&1" \
  -n "ffmpeg ebur128" "$ffm" >/dev/null

mean() { awk -F, -v n="$1" '$1 == n { print $2 }' "$csv"; }
median() { awk -F, -v n="$1" '$1 == n { print $4 }' "$csv"; }
cpu() { awk -F, -v n="$1" '$1 == n { print $5 + $6 }' "$csv"; }  # user + system
{
  # The machine may be shared: the median and the processor time (user + system) are less
  # disturbed by other work than the mean wall-clock time, so the ratio is given by all three.
  printf "%-16s %10s %10s\n" "command" "mean (s)" "cpu (s)"
  for n in "decode only" "ours" "loudgain" "ffmpeg ebur128"; do
    printf "%-16s %10.3f %10.3f\n" "$n" "$(mean "$n")" "$(cpu "$n")"
  done
  awk -v d="$(mean "decode only")" -v o="$(mean "ours")" -v l="$(mean "loudgain")" -v f="$(mean "ffmpeg ebur128")" \
      -v dm="$(median "decode only")" -v om="$(median "ours")" \
      -v dc="$(cpu "decode only")" -v oc="$(cpu "ours")" 'BEGIN {
    printf "loudgain / ours: %.2f (goal >= 1)   ffmpeg / ours: %.2f   ours / decode only: %.2f (goal <= 1.20)\n", l / o, f / o, o / d
    printf "ours / decode only by the medians: %.2f, in processor time: %.2f\n", om / dm, oc / dc }'
  echo
  printf "%-18s %10s %10s %10s\n" "file" "ours" "loudgain" "ffmpeg"
  for f in "${files[@]}"; do
    o=$("$cli" loudness "$f" 2>/dev/null | cut -f3 | cut -d' ' -f1)
    l=$(loudgain -q "$f" 2>&1 | awk '/Loudness:/ { print $2 }')
    m=$(ffmpeg -nostats -hide_banner -loglevel error -i "$f" -af ebur128=metadata=1,ametadata=mode=print:key=lavfi.r128.I:file=- -f null - | awk -F= '/r128.I=/ { v = $2 } END { print v }')
    printf "%-18s %10s %10s %10s\n" "$(basename "$f")" "$o" "$l" "$m"
  done
  echo "(integrated loudness in LUFS)"
} | tee "$out/loudness_vs.txt"
