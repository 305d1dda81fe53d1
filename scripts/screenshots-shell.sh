#!/usr/bin/env bash
# Screenshots of the application shell under a virtual X server, with the light and the dark
# palette: the splash, the main window, the File and Edit menus, the help browser, the About
# box and the options sheet. The program is driven from outside with xdotool.
#   scripts/screenshots-shell.sh [BUILD_DIR] [OUT_DIR]     (default build/release, shots/shell)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
out=${2:-$root/shots/shell}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -z "${SONVARA_SHOTS_INNER:-}" ]; then
  export SONVARA_SHOTS_INNER=1
  exec xvfb-run -a -s "-screen 0 1100x760x24" bash "$0" "$build" "$out"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shot() { sleep "${2:-0.8}"; import -window root "$out/$1.png"; echo "saved $out/$1.png"; }

for palette in light dark; do
  export HOME="$work/home-$palette"
  mkdir -p "$HOME/Music"
  export SONVARA_CONFIG="$work/$palette.conf"
  export SONVARA_PALETTE=$palette
  "$build/sonvara" &
  pid=$!
  shot "splash-$palette" 0.4
  win=
  for _ in $(seq 100); do  # the main window, not the splash that carries the same name
    for id in $(xdotool search --onlyvisible --name '^Velmora Sonvara 2.0$' 2>/dev/null); do
      w=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      [ "${w:-0}" -gt 600 ] && win=$id
    done
    [ -n "$win" ] && break
    sleep 0.1
  done
  xdotool windowmove "$win" 20 20 windowsize "$win" 1000 680
  xdotool mousemove 500 400
  xdotool windowfocus --sync "$win" || true
  shot "main-$palette" 1.5
  xdotool key alt+f; shot "menu-file-$palette"
  xdotool key Escape
  xdotool key alt+e; shot "menu-edit-$palette"
  xdotool key Escape
  xdotool key F1; shot "help-$palette" 1.2
  help=$(xdotool search --onlyvisible --name 'Help' | head -1)
  if [ -n "$help" ]; then xdotool windowfocus --sync "$help" key Escape || true; fi
  xdotool windowfocus --sync "$win" || true
  xdotool key --delay 300 alt+h a; shot "about-$palette"
  xdotool key Return
  xdotool windowfocus --sync "$win" || true
  xdotool key --delay 300 alt+o s; shot "options-$palette"
  xdotool key Escape
  sleep 0.3
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
