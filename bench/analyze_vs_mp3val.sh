#!/usr/bin/env bash
# Frame-walk throughput and memory: `sonvara-cli analyze` against Debian's mp3val on the same
# ~300 MB corpus of lame-encoded files (CBR and VBR, mono and stereo, several rates), in one run.
# The walk at -j 1 runs twice: with the files copied into a buffer (the default) and mapped and
# read in place (SONVARA_READ=map); mp3val maps its files.
# Usage: bench/analyze_vs_mp3val.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
cli=$build/sonvara-cli
out=$top/bench/out
corpus=$out/mp3corpus
mkdir -p "$out"
for tool in lame sox mp3val hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run ./build.sh build first)"; exit 1; }
done
[ -x "$cli" ] || { echo "no $cli: build first"; exit 1; }

# --- corpus: distinct encodings, then copies of them up to about 300 MB ---------------------
if [ ! -f "$corpus/.complete" ]; then
  rm -rf "$corpus"; base=$corpus/.base; mkdir -p "$base"
  echo "Generating the corpus (once; kept in $corpus)..."
  sox -q -n -r 44100 -c 2 "$base/st.wav" synth 300 pinknoise synth 300 sine mix 220-1760 vol 0.5
  sox -q -n -r 44100 -c 1 "$base/mo.wav" synth 300 brownnoise synth 300 sine mix 110-880 vol 0.5
  sox -q "$base/st.wav" -r 22050 "$base/st22.wav"
  settings=(
    "st.wav|cbr128|-b 128" "st.wav|cbr192|-b 192" "st.wav|cbr256|-b 256" "st.wav|cbr320|-b 320"
    "st.wav|vbr0|-V 0" "st.wav|vbr2|-V 2" "st.wav|vbr5|-V 5" "st.wav|crc160|-b 160 -p"
    "mo.wav|mono64|-b 64 -m m" "mo.wav|mono96|-b 96 -m m" "mo.wav|monovbr4|-V 4 -m m"
    "st22.wav|mpeg2_64|-b 64" "st.wav|tagged|-b 128 --add-id3v2 --tt Title --ta Artist --tl Album"
  )
  printf '%s\n' "${settings[@]}" | xargs -P "$(nproc)" -I{} bash -c '
    IFS="|" read -r src name opts <<< "{}"
    lame --quiet -q 7 $opts "$0/$src" "$0/$name.mp3"' "$base"
  n=0
  while [ "$(du -sm --exclude=.base "$corpus" | cut -f1)" -lt 300 ]; do
    for f in "$base"/*.mp3; do cp "$f" "$corpus/c${n}_$(basename "$f")"; done
    n=$((n + 1))
  done
  rm -rf "$base"
  touch "$corpus/.complete"
fi
files=$(ls "$corpus"/*.mp3 | wc -l)
size=$(du -sm "$corpus" | cut -f1)
echo "Corpus: $files files, $size MB"
cat "$corpus"/*.mp3 > /dev/null  # warm the page cache for every contender alike

# --- throughput ------------------------------------------------------------------------------
csv=$out/analyze_vs_mp3val.csv
hyperfine --style basic --warmup 1 --runs 5 --export-csv "$csv" \
  -n "mp3val" "mp3val $corpus/*.mp3 > /dev/null" \
  -n "sonvara -j 1" "$cli analyze -j 1 $corpus > /dev/null 2>&1" \
  -n "sonvara -j 1 mapped" "SONVARA_READ=map $cli analyze -j 1 $corpus > /dev/null 2>&1" \
  -n "sonvara -j 2" "$cli analyze -j 2 $corpus > /dev/null 2>&1" >/dev/null

mean() { awk -F, -v n="$1" '$1 == n { print $2 }' "$csv"; }
m_mp3val=$(mean "mp3val"); m_j1=$(mean "sonvara -j 1"); m_j2=$(mean "sonvara -j 2")
m_map=$(mean "sonvara -j 1 mapped")

# --- peak memory -----------------------------------------------------------------------------
peak() { /usr/bin/time -f %M "$@" >/dev/null 2>"$out/time.txt" || true; tail -n 1 "$out/time.txt"; }
mem_j1=$(peak "$cli" analyze -j 1 "$corpus")
mem_mp3val=$(peak mp3val "$corpus"/cbr128.mp3)
# One large file: all of the corpus in a single stream.
cat "$corpus"/*.mp3 > "$out/large.mp3"
mem_large=$(peak "$cli" analyze -j 1 "$out/large.mp3")
mem_large_map=$(SONVARA_READ=map peak "$cli" analyze -j 1 "$out/large.mp3")
large_mb=$(du -m "$out/large.mp3" | cut -f1)
rm -f "$out/large.mp3"

awk -v mb="$size" -v a="$m_mp3val" -v b="$m_j1" -v c="$m_j2" -v d="$m_map" \
    -v m1="$mem_j1" -v mv="$mem_mp3val" -v ml="$mem_large" -v lmb="$large_mb" \
    -v mm="$mem_large_map" 'BEGIN {
  printf "\n%-22s %10s %12s\n", "contender", "seconds", "MB/s"
  printf "%-22s %10.3f %12.0f\n", "mp3val", a, mb / a
  printf "%-22s %10.3f %12.0f\n", "sonvara-cli -j 1", b, mb / b
  printf "%-22s %10.3f %12.0f\n", "sonvara-cli -j 1 map", d, mb / d
  printf "%-22s %10.3f %12.0f\n", "sonvara-cli -j 2", c, mb / c
  printf "\nthroughput -j 1 / mp3val : %.2f  (goal >= 2.0)\n", a / b
  printf "  mapped   -j 1 / mp3val : %.2f  (mapped / copied: %.2f)\n", a / d, b / d
  printf "speed-up   -j 2 / -j 1   : %.2f  (goal >= 1.8)\n", b / c
  printf "peak RSS sonvara -j 1, corpus       : %6.1f MB (goal < 16)\n", m1 / 1024
  printf "peak RSS sonvara -j 1, one %4d MB file: %6.1f MB\n", lmb, ml / 1024
  printf "  the same mapped (its file pages count) : %6.1f MB\n", mm / 1024
  printf "peak RSS mp3val, one file           : %6.1f MB\n", mv / 1024
}' | tee "$out/analyze_vs_mp3val.txt"
