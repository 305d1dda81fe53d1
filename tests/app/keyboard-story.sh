#!/usr/bin/env bash
# The user story with the keyboard alone, through the real window program under a real X
# server, driven from outside (xdotool sends keys and never a mouse event): F6 to the folder
# tree, Right and typing choose the collection's folder, F6 to its files, A and Alt+T add them,
# Ctrl+O analyses, View > Sort By > Check sorts, Ctrl+W converts MP3 -> WAV, Alt+I opens the
# properties sheet and Escape closes it, Ctrl+S saves the report through the file dialog, and
# File > Exit ends the program. Every caption reads as the program gives it (no program name
# appended). Afterwards the outputs, the report and its order are checked.
#   keyboard-story.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
if [ -z "${SONVARA_KEYS_INNER:-}" ]; then
  export SONVARA_KEYS_INNER=1
  exec bash "$(dirname "$0")/with-xvfb.sh" 1024x768x24 bash "$0" "$build" "$src"
fi

# shellcheck disable=SC2034  # read by fail in the helpers
shot=${SONVARA_E2E_SHOT:-/tmp/sonvara-keyboard-story-failure.png}
# shellcheck source=xdo-helpers.sh
. "$(dirname "$0")/xdo-helpers.sh"

work=$(mktemp -d)
pid=
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
step=setup
die() { fail "step $step: $*"; }

home=$work/home
coll=$home/Music/Collection
out=$work/converted
report=$work/report.txt
conf=$work/settings.conf
mkdir -p "$coll" "$out"

# --- The collection: two good MP3 files, one damaged, one WAV file ---------------------------
tone() { sox -n -r 44100 -c 2 -b 16 "$1" synth "$2" sine "$3" vol 0.3; }
for name in alpha bravo charlie; do
  tone "$work/$name.wav" 3 440
  lame --quiet -b 128 --tt "${name^} Tone" "$work/$name.wav" "$coll/$name.mp3"
  rm "$work/$name.wav"
done
tone "$coll/delta.wav" 2 660
size=$(stat -c %s "$coll/bravo.mp3")
dd if=/dev/zero of="$coll/bravo.mp3" bs=1 seek=$((size / 2)) count=1500 conv=notrunc status=none
cat > "$conf" <<EOF
[GeneralProperties]
Normalize=0
ConvertCorruptFiles=0
TrackDir=$out
EOF

# The caption of the window of that id, checked to be exactly the program's own.
caption_is() {  # caption_is ID TEXT
  local name
  name=$(xdotool getwindowname "$1")
  [ "$name" = "$2" ] || die "the caption reads \"$name\", not \"$2\""
}
keys() { xdotool windowfocus --sync "$main" 2>/dev/null || true; xdotool key --delay 100 "$@"; }

# --- 1. Start ----------------------------------------------------------------------------------
step="1 start"
state_log=$work/program.log
HOME=$home SONVARA_CONFIG=$conf QT_LOGGING_RULES="sonvara.state.info=true" "$build/sonvara" \
  > "$state_log" 2>&1 &
pid=$!
main=$(main_window) || die "no main window"
wait_state "tree: last folder selected" || die "the tree did not select the last folder"

# --- 2. The collection's folder: F6 from the working list reaches the tree ---------------------
step="2 folder"
keys F6 Right
wait_state "tree: folder read: " || die "Right did not open ~/Music"
keys C o l l
wait_state "folder listed: 4 track files" || die "the collection's files are not listed"

# --- 3. Add every file ---------------------------------------------------------------------------
step="3 add"
keys F6 a alt+t
wait_state "tracks added: 4; listed 4" || die "the four files were not added"
keys F6 ctrl+Home space  # to the working list, its first row selected

# --- 4. Analyse --------------------------------------------------------------------------------
step="4 analyse"
keys ctrl+o
wait_state "job done: analyze" || die "the analysis did not end"

# --- 5. Sort by Check from the View menu ---------------------------------------------------------
step="5 sort"
keys alt+v b Down Return  # View > Sort By (its first entry, File, is selected) > Check
wait_state "sorted: 1 keys" || die "View > Sort By > Check did not sort"

# --- 6. Convert MP3 -> WAV -----------------------------------------------------------------------
step="6 convert"
dialog=$(press_until "$main" '^Convert MP3 -> WAV' ctrl+w) || die "no conversion dialog"
caption_is "$dialog" "Convert MP3 -> WAV"
xdotool windowfocus --sync "$dialog" key alt+s  # "&Start"; the dialog closes after the run
wait_state "job done: mp3-to-wav" || die "the conversion did not end"
gone '^Convert MP3 -> WAV' || die "the conversion dialog stayed"

# --- 7. The properties sheet: Alt+I opens it, Escape closes it -----------------------------------
step="7 properties"
props=$(press_until "$main" '^Properties of: ' alt+i) || die "Alt+I opened no properties sheet"
case $(xdotool getwindowname "$props") in
  *"Velmora Sonvara 2.0"*) die "the sheet's caption carries the program's name" ;;
esac
xdotool windowfocus --sync "$props" key Escape
wait_state "properties closed: unchanged" || die "Escape did not close the sheet"

# --- 8. The report through the file dialog ---------------------------------------------------------
step="8 report"
save=$(press_until "$main" '^Save Analysis Results' ctrl+s) || die "no file dialog"
caption_is "$save" "Save Analysis Results"
xdotool windowfocus --sync "$save" key ctrl+a
xdotool type --delay 25 "$report"
for _ in 1 2 3; do  # Return may first only take the completer's suggestion
  xdotool windowfocus --sync "$save" key Return 2>/dev/null || true
  gone '^Save Analysis Results' 50 && break
done
wait_state "report: saved" || die "the report was not saved"

# --- 9. Exit -----------------------------------------------------------------------------------
step="9 exit"
keys alt+f x
ended "$pid" || die "File > Exit did not end the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || die "the program ended with status $status"

# --- The files -----------------------------------------------------------------------------------
step="files"
for name in alpha charlie; do
  [ "$(soxi -t "$out/$name.wav" 2>/dev/null)" = wav ] || die "no WAV file for $name.mp3"
done
[ ! -e "$out/bravo.wav" ] || die "the corrupt file was converted"
checks=$(sed -n 's/^Check: *//p' "$report" | tr -d '\r' | tr '\n' ' ')
# Sorted by Check (descending at the first sort): every verdict in one run, OK before Corrupt.
[ "$(grep -c '^File: ' "$report")" -eq 4 ] || die "the report does not hold four tracks"
awk '/^Check:/ { v = $0; if (v != last && seen[v]++) bad = 1; last = v } END { exit bad }' \
  "$report" || die "the report does not follow the sorted order: $checks"
echo "keyboard story: ok (report order by Check: $checks)"
