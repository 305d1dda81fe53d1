#!/usr/bin/env bash
# Runs a command under a virtual X server of its own. Xvfb chooses a free display itself and
# tells its number once it accepts clients (-displayfd), so two runs started at the same moment
# never race for one display (xvfb-run -a picks a number first and starts the server after).
#   with-xvfb.sh WIDTHxHEIGHTxDEPTH COMMAND...
set -uo pipefail
geometry=$1
shift
dir=$(mktemp -d)
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3> "$dir/display" 2> "$dir/xvfb.log" &
server=$!
cleanup() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
if ! read -r -t 120 number < "$dir/display" || [ -z "$number" ]; then
  echo "Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=:$number
unset XAUTHORITY
status=0
"$@" || status=$?
exit $status
