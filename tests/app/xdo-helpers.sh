# shellcheck shell=bash
# Helpers for driving the window program from outside under Xvfb with xdotool, sourced by the
# end-to-end scripts. They poll (a tenth of a second at a time) and never wait longer than they
# must. A script sets `shot` (where a failure's screenshot goes) before calling fail.

# Ends the script with a message and a screenshot of the whole screen.
fail() {
  echo "FAIL: $*" >&2
  import -window root "${shot:-/tmp/sonvara-e2e-failure.png}" 2>/dev/null &&
    echo "screenshot: ${shot:-/tmp/sonvara-e2e-failure.png}" >&2 || true
  exit 1
}

# Waits up to ten seconds (or $2 tenths) for a visible window whose name matches; prints its id.
window() {
  local tries=${2:-100} id
  for _ in $(seq "$tries"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Focuses the main window and types the keys until a window of that name shows (three tries:
# the first keys may come before the window has the keyboard); prints its id.
press_until() {
  local main=$1 name=$2 id
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
  local id width
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name '^Velmora Sonvara 2.0$' 2>/dev/null); do
      width=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      if [ "${width:-0}" -gt 600 ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}

# Waits up to ten seconds (or $2 tenths) until no visible window has a matching name.
gone() {
  local tries=${2:-100}
  for _ in $(seq "$tries"); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
