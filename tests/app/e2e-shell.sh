#!/usr/bin/env bash
# The program under a real X server, driven from outside as a user would with keys: a copy of
# the program in its own folder (with SPLASH.BMP, and with lang.qm for the German run) starts
# with a file on its command line, opens the About box (Help > About) and closes it with
# Enter, opens help with F1 and closes it with Escape, and quits with File > Exit. Afterwards the
# settings file holds the window placement.
#   e2e-shell.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
if [ -z "${SONVARA_E2E_INNER:-}" ]; then
  export SONVARA_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$src"
fi

work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  import -window root "${SONVARA_E2E_SHOT:-/tmp/sonvara-e2e-failure.png}" 2>/dev/null || true
  exit 1
}

# Waits up to ten seconds for a visible window whose name matches; prints its id.
window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# Focuses the main window and types the keys until a window of that name shows (three tries:
# the first keys may come before the window has the keyboard); prints its id.
press_until() {
  local main=$1 name=$2
  shift 2
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key --delay 300 "$@"
    for _ in $(seq 30); do
      id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1 || true)
      [ -n "$id" ] && { echo "$id"; return 0; }
      sleep 0.1
    done
    xdotool key Escape Escape
  done
  return 1
}
# The main window: of the visible windows with the program's name (the splash picture carries
# it too while it is up), the one wider than 600 pixels.
main_window() {
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name '^Velmora Sonvara 2.0$' 2>/dev/null); do
      width=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      if [ "${width:-0}" -gt 600 ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}
gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

run() {  # run LANGUAGE ABOUT_TITLE HELP_TITLE READING_TITLE ABOUT_KEY FILE_KEY EXIT_KEY
  local lang=$1 about=$2 help=$3 reading=$4 aboutKey=$5 fileKey=$6 exitKey=$7
  local dir="$work/$lang"
  mkdir -p "$dir/bin" "$dir/home/Music"
  cp "$build/sonvara" "$src/res/SPLASH.BMP" "$dir/bin/"
  [ "$lang" = de ] && cp "$build/translations/sonvara_de.qm" "$dir/bin/lang.qm"
  sox -n -r 44100 -c 2 -b 16 "$dir/home/Music/tone.wav" synth 2 sine 440 vol 0.3
  HOME="$dir/home" SONVARA_CONFIG="$dir/settings.conf" "$dir/bin/sonvara" \
    "$dir/home/Music/tone.wav" > "$dir/out.log" 2>&1 &
  pid=$!
  window '^Velmora Sonvara 2.0$' > /dev/null || fail "$lang: no main window"
  main=$(main_window) || fail "$lang: no main window"
  # The file from the command line is read in a dialog of its own right after the window
  # shows; keys wait until that has come and gone.
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$reading" > /dev/null 2>&1 && break
    sleep 0.1
  done
  gone "^$reading" || fail "$lang: reading the command line's file did not end"
  sleep 0.5
  xdotool mousemove 400 300

  press_until "$main" "^$about\$" alt+h "$aboutKey" > /dev/null ||
    fail "$lang: no About box ($about)"
  xdotool key Return
  gone "^$about\$" || fail "$lang: the About box did not close with Enter"

  h=$(press_until "$main" "^$help" F1) || fail "$lang: F1 opened no help ($help)"
  xdotool windowfocus --sync "$h" key Escape || true
  gone "^$help" || fail "$lang: help did not close with Escape"

  xdotool windowfocus --sync "$main" || true
  xdotool key --delay 300 "alt+$fileKey" "$exitKey"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "$lang: File > Exit did not end the program"
  wait "$pid" || fail "$lang: the program ended with status $?"
  pid=
  grep -q 'Rectangle' "$dir/settings.conf" || fail "$lang: no window placement stored"
  echo "$lang: start, About, help, exit: ok"
}

run en 'About Velmora Sonvara 2.0' 'Velmora Sonvara 2.0 Help' 'Read Files' a f x
run de 'Über Velmora Sonvara 2.0' 'Velmora Sonvara 2.0 Hilfe' 'Dateiinformationen' b d b
