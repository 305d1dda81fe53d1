# shellcheck shell=bash
# Helpers for driving the window program from outside under Xvfb with xdotool, sourced by the
# end-to-end scripts. Every wait is for a state the program shows or reports: a window with an
# exact name and role, a window gone, or a line of its state log (QT_LOGGING_RULES
# "sonvara.state.info=true"). They poll a tenth of a second at a time, and their bound,
# `patience`, is long enough that only a hung program reaches it, however busy the machine.
# A script sets `shot` (where a failure's screenshot goes) before calling fail, and `state_log`
# (the file the program's standard error goes to) before waiting for state lines.
patience=${SONVARA_E2E_PATIENCE:-1200}
state_mark=0

# Ends the script with a message and a screenshot of the whole screen.
fail() {
  echo "FAIL: $*" >&2
  if [ -n "${state_log:-}" ] && [ -f "$state_log" ]; then
    echo "the program's last log lines:" >&2
    tail -n 15 "$state_log" >&2
  fi
  import -window root "${shot:-/tmp/sonvara-e2e-failure.png}" 2>/dev/null &&
    echo "screenshot: ${shot:-/tmp/sonvara-e2e-failure.png}" >&2 || true
  exit 1
}

# Waits for a visible window whose name matches; prints its id.
window() {
  local tries=${2:-$patience} id
  for _ in $(seq "$tries"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Gives the window the keyboard (and waits until the X server says it has it), types the keys,
# and waits for a window of that name; prints its id. Keys reach the program in order after the
# focus, so they are typed once.
press_until() {
  local main=$1 name=$2
  shift 2
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key --delay 100 "$@"
  window "$name"
}

# The main window: the visible normal window with the program's name (the splash picture carries
# the name too, as a splash window).
main_window() {
  local id
  for _ in $(seq "$patience"); do
    for id in $(xdotool search --onlyvisible --name '^Velmora Sonvara 2.0$' 2>/dev/null); do
      if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_NORMAL'; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# Waits until no visible window has a matching name.
gone() {
  local tries=${2:-$patience}
  for _ in $(seq "$tries"); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Waits until the process has ended.
ended() {
  for _ in $(seq "$patience"); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Waits for the program's next state line matching the extended regular expression (after the
# line the last wait matched), and moves the mark past it.
wait_state() {
  local line
  for _ in $(seq "$patience"); do
    line=$(awk -v m="$state_mark" -v re="sonvara.state: $1" 'NR > m && $0 ~ re { print NR; exit }' \
      "$state_log" 2>/dev/null || true)
    if [ -n "$line" ]; then
      state_mark=$line
      return 0
    fi
    sleep 0.1
  done
  return 1
}
