#!/usr/bin/env bash
# The layer check must catch an include that points up: copy src/, add one to the lowest
# layer, and expect the check to fail on it.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$top/src" "$work/src"
printf '#include "runs/analysisrun.h"\n' >> "$work/src/platform/paths.cpp"
if out=$(bash "$top/scripts/check-layers.sh" "$work/src" 2>&1); then
  echo "the layer check passed a tree with an upward include" >&2
  exit 1
fi
grep -q 'platform/paths.cpp includes "runs/analysisrun.h"' <<<"$out" || {
  echo "the layer check failed without naming the include: $out" >&2
  exit 1
}
echo "an upward include is refused"
