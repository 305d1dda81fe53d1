#!/usr/bin/env bash
# Draws the program's splash picture (res/SPLASH.BMP) and the application icon in the hicolor
# sizes (res/icons/app/hicolor/NxN/apps/sonvara.png) from res/icons/app/sonvara.svg, with
# ImageMagick. The results are committed; run this again after changing the drawing.
set -euo pipefail
res=$(cd "$(dirname "$0")/../res" && pwd)
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font2=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$res/icons/app/hicolor/${size}x${size}/apps"
  convert -background none -density 300 "$res/icons/app/sonvara.svg" -resize "${size}x${size}" \
          -strip "$res/icons/app/hicolor/${size}x${size}/apps/sonvara.png"
done

# 480 x 270: a dark blue gradient, the icon, the name, the version and a waveform line.
convert -background none -density 300 "$res/icons/app/sonvara.svg" -resize 128x128 "$tmp/icon.png"
convert -size 480x270 gradient:'#1d4f91'-'#0d2546' \
  \( "$tmp/icon.png" \) -geometry +32+46 -composite \
  -font "$font" -fill white -pointsize 34 -annotate +180+100 'Velmora' \
  -pointsize 34 -annotate +180+142 'Sonvara 2.0' \
  -font "$font2" -fill '#bcd3f0' -pointsize 14 -annotate +182+172 'Version 2.01' \
  -pointsize 13 -annotate +32+238 'Checks, converts and tags MP3 and WAV collections' \
  -stroke '#7fe08a' -strokewidth 2 -fill none \
  -draw "polyline 32,205 80,205 92,190 104,220 116,182 128,228 140,196 152,212 164,205 448,205" \
  -type TrueColor -strip "BMP3:$res/SPLASH.BMP"
echo "drew $res/SPLASH.BMP and the icons"
