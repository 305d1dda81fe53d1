#!/usr/bin/env bash
# Builds the seed corpora of the fuzz targets under build/fuzz/seeds/<target>: small files
# made with sox, lame and twolame, hand-made frames and tags. Nothing is downloaded.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seeds=${1:-$top/build/fuzz/seeds}
[ -f "$seeds/.complete" ] && exit 0
rm -rf "$seeds"
mkdir -p "$seeds"/{mp3check,wavefile,wavecodec,mpegfile,tags}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

sox -q -r 44100 -c 2 -n "$work/s.wav" synth 0.3 sine 440 synth pinknoise amod 0.5
sox -q -r 22050 -c 1 -n "$work/m.wav" synth 0.3 sine 440
i=0
for opts in "-b 128" "-b 32 -m m" "-V 2" "-b 64 -p" "--abr 96" "-b 128 --add-id3v2 --tt T --ta A --tl L"; do
  lame --quiet $opts "$work/s.wav" "$seeds/mpegfile/l$i.mp3"; i=$((i + 1))
done
lame --quiet -b 24 "$work/m.wav" "$seeds/mpegfile/mpeg2.mp3"
twolame --quiet -b 192 "$work/s.wav" "$seeds/mpegfile/layer2.mp2" 2>/dev/null || true
cp "$seeds"/mpegfile/* "$seeds/mp3check/"
cp "$seeds"/mpegfile/l5.mp3 "$seeds/tags/"
# Tags of every kind a collection holds (Debian's python3 with mutagen).
/usr/bin/python3 - "$seeds/mpegfile/l0.mp3" "$seeds/tags" <<'PY' || true
import shutil, sys
from mutagen.id3 import ID3, TIT2, TPE1, TCOM, TALB, COMM
from mutagen.apev2 import APEv2
src, out = sys.argv[1], sys.argv[2]
for name, version, enc in (("v23.mp3", 3, 1), ("v24.mp3", 4, 3)):
    path = out + "/" + name
    shutil.copy(src, path)
    t = ID3(); t.add(TIT2(encoding=enc, text="Título ☃")); t.add(TCOM(encoding=enc, text="C"))
    t.add(TALB(encoding=enc, text="A")); t.add(COMM(encoding=enc, lang="eng", desc="", text="c"))
    t.save(path, v2_version=version, v1=2)
path = out + "/ape.mp3"; shutil.copy(src, path)
a = APEv2(); a["Title"] = "T"; a["Artist"] = "A"; a.save(path)
PY
# WAV files in every stored format.
for e in "-e signed -b 16" "-e unsigned -b 8" "-e signed -b 24" "-e floating-point -b 32" \
         "-e a-law" "-e u-law" "-e ima-adpcm" "-e ms-adpcm"; do
  name=$(printf %s "$e" | tr -c 'a-z0-9' '_')
  sox -q -V1 -D "$work/s.wav" $e "$seeds/wavefile/$name.wav"
  sox -q -V1 -D "$work/m.wav" $e "$seeds/wavefile/m$name.wav"
done
# Converter inputs: a control header (see fuzz_wavecodec.cpp) and raw data.
ctl() { printf "$1"; head -c 4000 "$2"; }
ctl '\x00\x01\x10\x00\x10\x04\x00\x00\x00\x40\x00\x00' "$work/s.wav" > "$seeds/wavecodec/pcm16"
ctl '\x04\x01\x10\x00\x04\x00\x08\x02\x00\x00\x01\x00\xf9\x07' "$seeds/wavefile/_e_ima_adpcm.wav" > "$seeds/wavecodec/ima"
ctl '\x05\x01\x10\x00\x04\x00\x08\x20\x00\x00\x02\x00\xf4\x07\x07\x00\x00\x01\x00\x00\x00\x02\x00\xff\x00\x00\x00\x00\xc0\x00\x40\x00\xf0\x00\x00\x00\xcc\x01\x30\xff\x88\x01\x18\xff' "$seeds/wavefile/_e_ms_adpcm.wav" > "$seeds/wavecodec/msadpcm"
ctl '\x02\x00\x10\x00\x08\x02\x00\x00\x00\x00\x10\x00' "$seeds/wavefile/_e_a_law.wav" > "$seeds/wavecodec/alaw"
ctl '\x00\x00\x10\x00\x01\x04\x00\x00\x01\x00\x10\x00' "$work/s.wav" > "$seeds/wavecodec/encode"
touch "$seeds/.complete"
