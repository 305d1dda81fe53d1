#!/usr/bin/env bash
# The program under a real X server, driven from outside as a user would with keys: a copy of
# the program in its own folder (with SPLASH.BMP, and with lang.qm for the German run) starts
# with a file on its command line, opens the About box (Help > About) and closes it with
# Enter, opens help with F1 and closes it with Escape, and quits with File > Exit. Afterwards the
# settings file holds the window placement. In German the help window is left open when File >
# Exit is chosen: the program ends all the same.
#   e2e-shell.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
if [ -z "${SONVARA_E2E_INNER:-}" ]; then
  export SONVARA_E2E_INNER=1
  exec bash "$(dirname "$0")/with-xvfb.sh" 1024x768x24 bash "$0" "$build" "$src"
fi

work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
# shellcheck disable=SC2034  # read by fail in the helpers
shot=${SONVARA_E2E_SHOT:-/tmp/sonvara-e2e-failure.png}
# shellcheck source=xdo-helpers.sh
. "$(dirname "$0")/xdo-helpers.sh"

run() {  # run LANGUAGE ABOUT_TITLE HELP_TITLE READING_TITLE ABOUT_KEY FILE_KEY EXIT_KEY
  local lang=$1 about=$2 help=$3 reading=$4 aboutKey=$5 fileKey=$6 exitKey=$7
  local dir="$work/$lang"
  mkdir -p "$dir/bin" "$dir/home/Music"
  cp "$build/sonvara" "$src/res/SPLASH.BMP" "$dir/bin/"
  [ "$lang" = de ] && cp "$build/translations/sonvara_de.qm" "$dir/bin/lang.qm"
  sox -n -r 44100 -c 2 -b 16 "$dir/home/Music/tone.wav" synth 2 sine 440 vol 0.3
  state_log=$dir/out.log
  state_mark=0
  HOME="$dir/home" SONVARA_CONFIG="$dir/settings.conf" QT_LOGGING_RULES="sonvara.state.info=true" \
    "$dir/bin/sonvara" "$dir/home/Music/tone.wav" > "$state_log" 2>&1 &
  pid=$!
  main=$(main_window) || fail "$lang: no main window"
  # The file from the command line is read in a dialog of its own right after the window
  # shows; keys wait until start-up says it is done.
  wait_state "ready: 1 files" || fail "$lang: start-up did not end with the command line's file"
  gone "^$reading" || fail "$lang: reading the command line's file did not end"
  xdotool mousemove 400 300

  a=$(press_until "$main" "^$about\$" alt+h "$aboutKey") || fail "$lang: no About box ($about)"
  xdotool windowfocus --sync "$a" key Return
  gone "^$about\$" || fail "$lang: the About box did not close with Enter"

  h=$(press_until "$main" "^$help" F1) || fail "$lang: F1 opened no help ($help)"
  if [ "$lang" = en ]; then
    xdotool windowfocus --sync "$h" key Escape || true
    gone "^$help" || fail "$lang: help did not close with Escape"
  fi
  # In German the help window stays open: File > Exit still ends the program.

  xdotool windowfocus --sync "$main" || true
  xdotool key --delay 100 "alt+$fileKey" "$exitKey"
  ended "$pid" || fail "$lang: File > Exit did not end the program"
  wait "$pid" || fail "$lang: the program ended with status $?"
  pid=
  grep -q 'Rectangle' "$dir/settings.conf" || fail "$lang: no window placement stored"
  echo "$lang: start, About, help, exit: ok"
}

run en 'About Velmora Sonvara 2.0' 'Velmora Sonvara 2.0 Help' 'Read Files' a f x
run de 'Über Velmora Sonvara 2.0' 'Velmora Sonvara 2.0 Hilfe' 'Dateiinformationen' b d b
