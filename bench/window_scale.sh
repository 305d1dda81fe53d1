#!/usr/bin/env bash
# The window at scale. 1) A working list of 100 000 tracks, offscreen: rebuild, a sort by each
# column, a three-key sort, scrolling, memory per track (goals: rebuild <= 100 ms, one sort
# <= 500 ms, three keys <= 1 s, <= 2 KB per track). 2) Adding 10 000 MP3 files of three
# minutes through the read-files dialog, side by side with mutagen reading the length and the
# three tags of the same files in one process (goal: at least as fast), warm cache.
# The 10 000 files are 20 different lame-encoded files (own tags each), each linked 500 times,
# so that the cache holds them all: both readers parse every file in full as they would.
# Usage: bench/window_scale.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
out=$top/bench/out/window
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

"$build/sonvara-windowbench" list 100000 2>/dev/null | tee "$out/list.txt"

files=$out/mp3s
if [ ! -f "$files/.complete" ]; then
  rm -rf "$files" "$out/src"
  mkdir -p "$files" "$out/src"
  for i in $(seq 1 20); do
    sox -q -r 44100 -c 2 -n "$out/src/s$i.wav" synth 180 pinknoise synth 180 sine mix $((100 * i))-3000 vol 0.4
    lame --quiet -b 128 --tt "Title $i" --ta "Artist $i" --tl "Album $i" "$out/src/s$i.wav" "$out/src/s$i.mp3"
    rm "$out/src/s$i.wav"
  done
  for n in $(seq 0 9999); do
    ln "$out/src/s$((n % 20 + 1)).mp3" "$files/$(printf 't%05d.mp3' "$n")"
  done
  touch "$files/.complete"
fi
cat "$files"/*.mp3 > /dev/null  # warm cache
/usr/bin/python3 "$top/bench/mutagen_read.py" "$files" | tee "$out/mutagen.txt"
"$build/sonvara-windowbench" add "$files" 2>/dev/null | tee "$out/add.txt"
/usr/bin/python3 "$top/bench/mutagen_read.py" "$files" | tee -a "$out/mutagen.txt"
awk '/mutagen read/ { m = $5 } /added/ { a = $(NF-5) } END {
  if (a > 0) printf "adding 10 000 files: window %.2f s, mutagen %.2f s, ratio %.2f (goal <= 1)\n", a, m, a / m }' \
  "$out/mutagen.txt" "$out/add.txt" | tee -a "$out/add.txt"
