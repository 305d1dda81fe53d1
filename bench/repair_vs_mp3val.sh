#!/usr/bin/env bash
# Repair against Debian's mp3val -f on the same damaged set, in one run: which files each
# leaves clean (our walk, mp3val itself and ffmpeg -v error all silent) and how long each takes.
# The set: three lame encodes (VBR with ID3v2 and ID3v1 tags, CBR, MPEG-2 mono), each damaged
# eight ways (zeroed range, cut range, inserted junk, flipped sync bit, wrong Xing count,
# truncation, trailing text, joined with another format).
# Usage: bench/repair_vs_mp3val.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
cli=$build/sonvara-cli
out=$top/bench/out/repair
for tool in lame sox mp3val ffmpeg hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run ./build.sh build first)"; exit 1; }
done
[ -x "$cli" ] || { echo "no $cli: build first"; exit 1; }
rm -rf "$out"; mkdir -p "$out/src" "$out/set"
sox -q -n -r 44100 -c 2 "$out/src/st.wav" synth 60 pinknoise synth 60 sine mix 220-1760 vol 0.5
sox -q -n -r 22050 -c 1 "$out/src/mo.wav" synth 60 sine 110-880 vol 0.5
lame --quiet -V 4 --add-id3v2 --id3v2-only --tt Title --ta Artist "$out/src/st.wav" "$out/src/vbr.mp3"
lame --quiet -V 4 --id3v1-only --tt Title "$out/src/st.wav" "$out/src/vbrv1.mp3"
lame --quiet -b 128 "$out/src/st.wav" "$out/src/cbr.mp3"
lame --quiet -b 32 "$out/src/mo.wav" "$out/src/mono.mp3"
python3 - "$out/src" "$out/set" <<'PY'
import os, random, sys
src, dst = sys.argv[1], sys.argv[2]
rnd = random.Random(1)
def frames(d, start):
    # offsets of the frames walked from start (MPEG-1/2 Layer III headers only)
    rates = {3: [0,32,40,48,56,64,80,96,112,128,160,192,224,256,320], 2: [0,8,16,24,32,40,48,56,64,80,96,112,128,144,160]}
    srs = {3: [44100,48000,32000], 2: [22050,24000,16000]}
    out, p = [], start
    while p + 4 <= len(d) and d[p] == 0xFF:
        v = 3 if d[p+1] & 0x08 else 2
        br = rates[v][d[p+2] >> 4]; sr = srs[v][(d[p+2] >> 2) & 3]; pad = (d[p+2] >> 1) & 1
        n = (144000 if v == 3 else 72000) * br // sr + pad
        out.append(p); p += n
    return out
for name in ("vbr", "vbrv1", "cbr", "mono"):
    d = open(os.path.join(src, name + ".mp3"), "rb").read()
    start = 10 + ((d[6] << 21) | (d[7] << 14) | (d[8] << 7) | d[9]) if d[:3] == b"ID3" else 0
    f = frames(d, start); mid = f[len(f) // 2] + 100
    cases = {
        "zeroed": d[:mid] + bytes(4000) + d[mid + 4000:],
        "cut": d[:mid] + d[mid + 3000:],
        "junk": d[:mid] + bytes(rnd.randrange(256) for _ in range(999)) + d[mid:],
        "sync": d[:f[len(f)//3] + 1] + bytes([d[f[len(f)//3] + 1] & 0xEF]) + d[f[len(f)//3] + 2:],
        "truncated": d[:len(d) - 700],
        "trailing": d + b"some text after the audio\n" * 10,
        "joined": d + open(os.path.join(src, "mono.mp3" if name != "mono" else "cbr.mp3"), "rb").read(),
    }
    x = d.find(b"Xing")
    if x >= 0:
        cases["xing"] = d[:x + 11] + bytes([d[x + 11] ^ 0x35]) + d[x + 12:]
    for kind, data in cases.items():
        open(os.path.join(dst, f"{name}-{kind}.mp3"), "wb").write(data)
PY
set_files=$(ls "$out/set" | wc -l)

verdict() {  # verdict FILE: three marks, + or x, for our walk, mp3val and ffmpeg -v error
  local w=+ m=+ f=+
  { "$cli" analyze "$1" >/dev/null 2>&1 && ! "$cli" analyze --details "$1" 2>/dev/null | grep -q $'^\t'; } || w=x
  mp3val "$1" | grep -E '^(WARNING|ERROR)' | grep -vq 'No supported tags' && m=x
  [ -z "$(ffmpeg -nostdin -v error -i "$1" -f null - 2>&1)" ] || f=x
  echo "$w$m$f"
}
# Each contender once on a fresh copy of the set, for the table.
rm -rf "$out/ours" "$out/mp3val"; cp -r "$out/set" "$out/mp3val"
"$cli" repair -j 1 --output-dir "$out/ours" "$out/set" > "$out/ours.txt" 2>/dev/null || true
mp3val -f -nb "$out/mp3val"/*.mp3 > "$out/mp3val.txt" 2>&1 || true
{ echo; echo "marks: our walk (no finding at all), mp3val (no warning but 'No supported tags'),"
  echo "ffmpeg -v error (silent); + clean, x not; 'refused': nothing written"
  printf '%-22s %-10s %-10s %-10s\n' "damaged file" "before" "sonvara" "mp3val -f"; } | tee "$out/table.txt"
ours_ok=0; theirs_ok=0
for f in "$out/set"/*.mp3; do
  n=$(basename "$f")
  a=refused; [ -f "$out/ours/$n" ] && a=$(verdict "$out/ours/$n")
  grep -q "^OK"$'\t'".*$n\$" "$out/ours.txt" && a=$(verdict "$f")
  b=$(verdict "$out/mp3val/$n")
  [ "$a" = +++ ] && ours_ok=$((ours_ok + 1)); [ "$b" = +++ ] && theirs_ok=$((theirs_ok + 1))
  printf '%-22s %-10s %-10s %-10s\n' "${n%.mp3}" "$(verdict "$f")" "$a" "$b" | tee -a "$out/table.txt"
done
printf '%-22s %-10s %-10s %-10s\n' "all three clean" "" "$ours_ok/$set_files" "$theirs_ok/$set_files" |
  tee -a "$out/table.txt"

# Time: the set five times over (copies), each contender on a fresh copy per run.
mkdir -p "$out/big"; for i in 1 2 3 4 5; do for f in "$out/set"/*.mp3; do cp "$f" "$out/big/$i-$(basename "$f")"; done; done
mb=$(du -sm "$out/big" | cut -f1)
hyperfine --style basic --warmup 1 --runs 5 --export-csv "$out/times.csv" \
  --prepare "rm -rf $out/work $out/outdir; cp -r $out/big $out/work" \
  -n "sonvara-cli repair -j 1" "$cli repair -j 1 --output-dir $out/outdir $out/work > /dev/null 2>&1 || true" \
  -n "sonvara-cli repair -j 2" "$cli repair -j 2 --output-dir $out/outdir $out/work > /dev/null 2>&1 || true" \
  -n "mp3val -f" "mp3val -f -nb $out/work/*.mp3 > /dev/null 2>&1 || true" > /dev/null
awk -F, -v mb="$mb" -v n="$(ls "$out/big" | wc -l)" 'NR > 1 {
  printf "%-26s %8.3f s  (%d files, %d MB)\n", $1, $2, n, mb }' "$out/times.csv" | tee -a "$out/table.txt"
