#!/usr/bin/env bash
# The window at scale. 1) A working list of 100 000 tracks, offscreen: rebuild, a sort by each
# column, a three-key sort, scrolling, memory per track (goals: rebuild <= 100 ms, one sort
# <= 500 ms, three keys <= 1 s, <= 2 KB per track). 2) Adding 10 000 MP3 files of three
# minutes through the read-files dialog, side by side with mutagen reading the length and the
# three tags of the same files in one process (goal: at least as fast), warm cache.
# The 10 000 files are 20 different lame-encoded files (own tags each), each linked 500 times,
# so that the cache holds them all: both readers open and parse every file as they would. Two
# sets: files with their Info header (the length is stated there) and files without one (the
# window counts every frame; mutagen estimates from the bit rate).
# Usage: bench/window_scale.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
out=$top/bench/out/window
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

"$build/sonvara-windowbench" list 100000 2>/dev/null | tee "$out/list.txt"

# make_files DIR LAME_OPTIONS: 20 encodings of three minutes, each linked 500 times.
make_files() {
  local dir=$1 opts=$2
  if [ ! -f "$dir/.complete" ]; then
    rm -rf "$dir" "$dir.src"
    mkdir -p "$dir" "$dir.src"
    for i in $(seq 1 20); do
      sox -q -r 44100 -c 2 -n "$dir.src/s$i.wav" synth 180 pinknoise synth 180 sine mix $((100 * i))-3000 vol 0.4
      lame --quiet $opts --tt "Title $i" --ta "Artist $i" --tl "Album $i" "$dir.src/s$i.wav" "$dir.src/s$i.mp3"
      rm "$dir.src/s$i.wav"
    done
    for n in $(seq 0 9999); do
      ln "$dir.src/s$((n % 20 + 1)).mp3" "$dir/$(printf 't%05d.mp3' "$n")"
    done
    touch "$dir/.complete"
  fi
}

# compare LABEL DIR: mutagen, the window (files copied, then mapped: SONVARA_READ=map), mutagen
# again; the ratios against mutagen's better run.
compare() {
  local label=$1 files=$2
  cat "$files"/*.mp3 > /dev/null  # warm cache
  echo "== $label"
  /usr/bin/python3 "$top/bench/mutagen_read.py" "$files" | tee "$out/mutagen.txt"
  "$build/sonvara-windowbench" add "$files" 2>/dev/null | tee "$out/add.txt"
  SONVARA_READ=map "$build/sonvara-windowbench" add "$files" 2>/dev/null | tee "$out/add-map.txt"
  /usr/bin/python3 "$top/bench/mutagen_read.py" "$files" | tee -a "$out/mutagen.txt"
  # The floor of any reader that looks at every frame: the kernel copying every byte.
  "$build/sonvara-windowbench" floor "$files" 2>/dev/null | tee "$out/floor.txt"
  awk '/mutagen read/ { if (m == 0 || $5 < m) m = $5 }
       /added/ { if (FILENAME ~ /map/) p = $(NF-5); else a = $(NF-5) }
       /reading every byte/ { f = $(NF-5) } END {
    if (a > 0) printf "adding 10 000 files: window %.2f s, mutagen %.2f s, ratio %.2f (goal <= 1)\n", a, m, a / m
    if (p > 0) printf "              mapped: window %.2f s, ratio %.2f\n", p, p / m
    if (f > 0) printf "  reading every byte alone: %.2f s, ratio %.2f\n", f, f / m }' \
    "$out/mutagen.txt" "$out/add.txt" "$out/add-map.txt" "$out/floor.txt"
}

# Files as lame writes them (CBR 128 kbit/s with an Info header: the length is stated), then
# the same without the header (lame -t: every frame is counted).
make_files "$out/mp3s" "-b 128"
make_files "$out/mp3s-noheader" "-b 128 -t"
compare "3-minute MP3s with an Info header" "$out/mp3s"
compare "3-minute MP3s without a header" "$out/mp3s-noheader"
