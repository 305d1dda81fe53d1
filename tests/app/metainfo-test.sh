#!/usr/bin/env bash
# The AppStream metadata validates, names the desktop entry that is installed, and shows the
# pictures kept in res/screenshots.
#   metainfo-test.sh SOURCE_DIR
set -euo pipefail
src=$1
file=$src/res/invalid.velmora.sonvara.metainfo.xml
appstreamcli validate --no-net --explain "$file"
grep -q '<launchable type="desktop-id">sonvara.desktop</launchable>' "$file" ||
  { echo "the metadata does not launch sonvara.desktop" >&2; exit 1; }
shots=$(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$file")
[ -n "$shots" ] || { echo "no screenshots in the metadata" >&2; exit 1; }
for shot in $shots; do
  [ -f "$src/res/screenshots/$shot" ] || { echo "no res/screenshots/$shot" >&2; exit 1; }
done
echo "the AppStream metadata validates and shows $(wc -w <<<"$shots") pictures"
