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
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits up to ten seconds for a visible window whose name matches; prints its id.
window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
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

run() {  # run LANGUAGE ABOUT_TITLE HELP_TITLE
  local lang=$1 about=$2 help=$3
  local dir="$work/$lang"
  mkdir -p "$dir/bin" "$dir/home/Music"
  cp "$build/sonvara" "$src/res/SPLASH.BMP" "$dir/bin/"
  [ "$lang" = de ] && cp "$build/translations/sonvara_de.qm" "$dir/bin/lang.qm"
  sox -n -r 44100 -c 2 -b 16 "$dir/home/Music/tone.wav" synth 2 sine 440 vol 0.3
  HOME="$dir/home" SONVARA_CONFIG="$dir/settings.conf" "$dir/bin/sonvara" \
    "$dir/home/Music/tone.wav" > "$dir/out.log" 2>&1 &
  pid=$!
  main=$(window '^Velmora Sonvara 2.0$') || fail "$lang: no main window"
  xdotool mousemove 400 300
  xdotool windowfocus --sync "$main" || true
  sleep 0.5

  xdotool key alt+h a
  window "^$about\$" > /dev/null || fail "$lang: no About box ($about)"
  xdotool key Return
  gone "^$about\$" || fail "$lang: the About box did not close with Enter"

  xdotool windowfocus --sync "$main" || true
  xdotool key F1
  h=$(window "^$help") || fail "$lang: F1 opened no help ($help)"
  xdotool windowfocus --sync "$h" key Escape || true
  gone "^$help" || fail "$lang: help did not close with Escape"

  xdotool windowfocus --sync "$main" || true
  xdotool key alt+f x
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "$lang: File > Exit did not end the program"
  wait "$pid" || fail "$lang: the program ended with status $?"
  pid=
  grep -q 'Rectangle' "$dir/settings.conf" || fail "$lang: no window placement stored"
  echo "$lang: start, About, help, exit: ok"
}

run en 'About Velmora Sonvara 2.0' 'Velmora Sonvara 2.0 Help'
run de 'Über Velmora Sonvara 2.0' 'Velmora Sonvara 2.0 Hilfe'
