#!/usr/bin/env bash
# An include that points up must fail both the layer check and the compile. For each spelling
# ("layer/x.h", <layer/x.h>, a relative "../layer/x.h") copy src/, add one to the lowest layer,
# and expect the check to fail naming it; then compile a file with the lowest layer's include
# folder and expect the upward header not to be found, while a header of its own layer is.
#   upward-include-fails.sh [CXX LAYERS_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for spelling in '"runs/analysisrun.h"' '<runs/analysisrun.h>' '"../runs/analysisrun.h"'; do
  rm -rf "$work/src"
  cp -r "$top/src" "$work/src"
  printf '#include %s\n' "$spelling" >> "$work/src/platform/paths.cpp"
  if out=$(bash "$top/scripts/check-layers.sh" "$work/src" 2>&1); then
    echo "the layer check passed a tree with the upward include $spelling" >&2
    exit 1
  fi
  grep -qF "platform/paths.cpp includes $spelling: platform may not use runs" <<<"$out" || {
    echo "the layer check failed without naming the include $spelling: $out" >&2
    exit 1
  }
done
echo "an upward include is refused by the check in every spelling"

if [ $# -ge 2 ]; then
  cxx=$1 layers=$2
  printf '#include "platform/paths.h"\n' > "$work/down.cpp"
  "$cxx" -std=c++20 -fsyntax-only -I "$layers/platform" "$work/down.cpp" ||
    { echo "the platform layer cannot include its own header" >&2; exit 1; }
  for spelling in '"runs/analysisrun.h"' '<runs/analysisrun.h>'; do
    printf '#include %s\n' "$spelling" > "$work/up.cpp"
    if "$cxx" -std=c++20 -fsyntax-only -I "$layers/platform" "$work/up.cpp" 2> "$work/err"; then
      echo "the platform layer's include folder lets $spelling compile" >&2
      exit 1
    fi
    grep -q 'runs/analysisrun.h' "$work/err" || { cat "$work/err" >&2; exit 1; }
  done
  echo "an upward include does not compile"
fi
