#!/usr/bin/env bash
# ThreadSanitizer with the project's suppressions must still see a race between a worker thread
# and a Qt timer callback: runs the planted race and expects its report.
#   planted-race.sh PROGRAM SUPPRESSIONS
set -uo pipefail
out=$(TSAN_OPTIONS="suppressions=$2 exitcode=66 halt_on_error=0" "$1" 2>&1)
status=$?
if [ "$status" -ne 66 ] || ! grep -q 'WARNING: ThreadSanitizer: data race' <<<"$out"; then
  echo "ThreadSanitizer did not report the planted race (status $status):" >&2
  echo "$out" >&2
  echo "A suppression in $2 hides races in our code whose stacks pass through Qt." >&2
  exit 1
fi
echo "the planted worker-vs-UI race is reported"
