#!/usr/bin/env bash
# `cmake --install` into a fresh prefix puts both programs, the desktop entry (valid), the icon
# in every hicolor size, the help pages, the translations, SPLASH.BMP, the manual pages, the
# AppStream metadata and the bash completion under it.
#   install-test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
fail=0
need() { if [ ! -s "$prefix/$1" ]; then echo "missing: $1" >&2; fail=1; fi; }
need bin/sonvara
need bin/sonvara-cli
need share/applications/sonvara.desktop
for size in 16 22 24 32 48 64 128 256; do need "share/icons/hicolor/${size}x${size}/apps/sonvara.png"; done
need share/icons/hicolor/scalable/apps/sonvara.svg
for page in index.htm Configuration.htm Editid3tags.htm Analyzingtracks.htm \
            Converting_MP3_Files.htm Converting_WAV_Files.htm Converting_MP3_to_MP3_Files.htm; do
  need "share/sonvara/help/$page"
done
need share/sonvara/translations/sonvara_de.qm
need share/sonvara/SPLASH.BMP
need share/man/man1/sonvara.1
need share/man/man1/sonvara-cli.1
need share/metainfo/invalid.velmora.sonvara.metainfo.xml
need share/bash-completion/completions/sonvara-cli
# `man sonvara-cli` finds the installed page.
MANPATH=$prefix/share/man man -w sonvara-cli > /dev/null ||
  { echo "man does not find sonvara-cli under the prefix" >&2; fail=1; }
[ -x "$prefix/bin/sonvara" ] || { echo "bin/sonvara is not executable" >&2; fail=1; }
desktop-file-validate "$prefix/share/applications/sonvara.desktop" || fail=1
# The installed CLI runs from the prefix.
"$prefix/bin/sonvara-cli" --help > /dev/null || { echo "sonvara-cli --help failed" >&2; fail=1; }
exit $fail
