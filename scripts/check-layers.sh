#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it may not use. Each folder of src/
# is a layer; this table says which folders each one may include from (itself included).
#   scripts/check-layers.sh [SRC_DIR]     (default: the src/ beside this script)
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}

core="platform audio jobs check convert tracks runs"
declare -A allowed=(
  [platform]="platform"
  [audio]="platform audio"
  [jobs]="platform audio jobs"
  [check]="platform audio jobs check"
  [convert]="platform audio jobs check convert"
  [tracks]="platform audio jobs check convert tracks"
  [runs]="$core"
  [profile]="platform audio jobs check convert tracks profile"
  [cli]="$core profile cli"
  [playback]="$core profile playback"
  [ui]="$core profile playback ui"
  [app]="$core profile playback ui app"
)

status=0
while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  layer=${rel%%/*}
  if [ -z "${allowed[$layer]+x}" ]; then
    echo "$rel: the folder '$layer' is not a known layer" >&2
    status=1
    continue
  fi
  while IFS= read -r line; do
    inc=${line#*\"}
    inc=${inc%%\"*}
    target=${inc%%/*}
    [ "$target" = "$inc" ] && continue   # a header without a folder: not ours
    [ -z "${allowed[$target]+x}" ] && continue  # not a layer folder (e.g. a library's)
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *) echo "$rel includes \"$inc\": $layer may not use $target" >&2; status=1 ;;
    esac
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
