#!/usr/bin/env bash
# The whole user story once, through the real window program under a real X server, driven
# from outside with keys and clicks as a user does (xdotool); afterwards the files on disk and
# the settings file are checked with other tools (soxi, sox, mutagen, the report's text).
#   user-story.sh BUILD_DIR SOURCE_DIR
# The collection: three good MP3 files (lame, tagged), one damaged MP3 (bytes in its middle
# overwritten: the frame walk finds it corrupt) and a WAV file, under $HOME/Music/Collection.
# The story: choose the folder in the tree with keys, add its files, analyse, sort by "Check",
# convert MP3 -> WAV with "Normalize" switched on in the run dialog's settings, change a title
# in the properties sheet, play a track for a moment on a private sound server, save the
# analysis results, move the corrupt file away, and quit with File > Exit.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
if [ -z "${SONVARA_STORY_INNER:-}" ]; then
  export SONVARA_STORY_INNER=1
  exec bash "$(dirname "$0")/with-xvfb.sh" 1024x768x24 bash "$0" "$build" "$src"
fi

# shellcheck disable=SC2034  # read by fail in the helpers
shot=${SONVARA_E2E_SHOT:-/tmp/sonvara-user-story-failure.png}
# shellcheck source=xdo-helpers.sh
. "$(dirname "$0")/xdo-helpers.sh"

work=$(mktemp -d)
pid=
pulse_pid=
reader_pid=
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  exec 7>&-  # closing the server's command input ends it
  if [ -n "$pulse_pid" ]; then
    kill "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
  fi
  [ -z "$reader_pid" ] || kill "$reader_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
step=setup
die() { fail "step $step: $*"; }

home=$work/home
music=$home/Music
coll=$music/Collection
out=$work/converted
moved=$work/corrupt
report=$work/report.txt
conf=$work/settings.conf
mkdir -p "$coll" "$out" "$moved"

# --- The collection -------------------------------------------------------------------------
tone() { sox -n -r 44100 -c 2 -b 16 "$1" synth "$2" sine "$3" vol 0.3; }
mp3() {  # mp3 NAME TITLE FREQUENCY
  tone "$work/$1.wav" 6 "$3"
  lame --quiet -b 128 --tt "$2" --ta "Story Artist" --tl "Story Album" "$work/$1.wav" \
    "$coll/$1.mp3"
  rm "$work/$1.wav"
}
mp3 alpha "Alpha Tone" 440
mp3 bravo "Bravo Tone" 550
mp3 charlie "Charlie Tone" 660
mp3 delta "Delta Tone" 770
tone "$coll/echo.wav" 2 880
size=$(stat -c %s "$coll/charlie.mp3")
dd if=/dev/zero of="$coll/charlie.mp3" bs=1 seek=$((size / 2)) count=1500 conv=notrunc \
  status=none
verdict=$("$build/sonvara-cli" analyze "$coll/charlie.mp3" "$coll/alpha.mp3" 2>/dev/null || true)
[ "$(printf '%s\n' "$verdict" | cut -f1 | tr '\n' ' ')" = "OK Corrupt " ] ||
  die "the frame walk does not find alpha.mp3 OK and charlie.mp3 corrupt: $verdict"

# The settings: normalising off (the run dialog's settings switch it on), corrupt files are
# not converted, the track directory elsewhere; the window placed away from the screen's corner
# (stored again at exit), and the working list's column widths (the header is clicked by them).
placement="0040 0030 0940 0630"
cat > "$conf" <<EOF
[GeneralProperties]
Normalize=0
ConvertCorruptFiles=0
TrackDir=$home

[Main%20Frame]
Rectangle=$placement

[ColumnWidths]
LISTSELECTEDTRACK="176,59,70,99,76,70,51,149,"
EOF

# --- A private sound server with a pipe sink whose output is captured ------------------------
step="sound server"
pulse=$work/pulse
mkdir -p "$pulse/config"
mkdir -m 700 "$pulse/runtime"
mkfifo "$pulse/commands" "$pulse/sink.fifo"
cat "$pulse/sink.fifo" > "$pulse/capture.raw" &
reader_pid=$!
(
  export HOME=$pulse XDG_RUNTIME_DIR=$pulse/runtime XDG_CONFIG_HOME=$pulse/config
  unset PULSE_SERVER DBUS_SESSION_BUS_ADDRESS
  exec pulseaudio --daemonize=no --fail -nC --exit-idle-time=-1 --log-target=stderr \
    < "$pulse/commands" > "$pulse/server.log" 2>&1
) &
pulse_pid=$!
exec 7> "$pulse/commands"
cat >&7 <<EOF
load-module module-native-protocol-unix socket=$pulse/native auth-anonymous=1
load-module module-pipe-sink sink_name=storysink file=$pulse/sink.fifo format=s16le rate=44100 channels=2 use_system_clock_for_timing=yes
set-default-sink storysink
EOF
export PULSE_SERVER=unix:$pulse/native
for _ in $(seq "$patience"); do
  pactl list short sinks 2>/dev/null | grep -q storysink && break
  kill -0 "$pulse_pid" 2>/dev/null || { cat "$pulse/server.log" >&2; die "pulseaudio ended"; }
  sleep 0.1
done
pactl list short sinks 2>/dev/null | grep -q storysink ||
  { cat "$pulse/server.log" >&2; die "pulseaudio offers no pipe sink"; }

# --- Looking at the screen -------------------------------------------------------------------
snap() { import -window root "$work/screen.png"; }
# The colours of one row or column of the last snap: "x y r g b" a line, x and y on the screen.
pixels() {  # pixels X Y W H
  convert "$work/screen.png" -crop "$3x$4+$1+$2" +repage txt:- |
    sed -n 's/^\([0-9]*\),\([0-9]*\): (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p' |
    awk -v x="$1" -v y="$2" '{ print $1 + x, $2 + y, $3, $4, $5 }'
}
# The number of colours in a rectangle of a fresh snap (1: empty background).
colours() { snap; convert "$work/screen.png" -crop "$3x$4+$1+$2" +repage -format %k info:; }
# A fingerprint of a rectangle of a fresh snap.
print_of() { snap; convert "$work/screen.png" -crop "$3x$4+$1+$2" +repage rgb:- | md5sum; }
# Waits until a rectangle shows more than one colour.
wait_filled() {
  for _ in $(seq "$((patience / 2))"); do
    [ "$(colours "$@")" -gt 1 ] && return 0
    sleep 0.2
  done
  return 1
}
# Waits until a rectangle differs from a fingerprint.
wait_changed() {  # wait_changed PRINT X Y W H
  local before=$1
  shift
  for _ in $(seq "$((patience / 2))"); do
    [ "$(print_of "$@")" != "$before" ] && return 0
    sleep 0.2
  done
  return 1
}
# Waits until a rectangle rests (the same in three looks 0.2 s apart): only for the first
# layout of the window; every later step waits for the program's state line instead.
settle() {
  local last='' now same=0
  for _ in $(seq "$((patience / 2))"); do
    now=$(print_of "$@")
    if [ "$now" = "$last" ]; then
      same=$((same + 1))
      [ "$same" -ge 2 ] && return 0
    else
      same=0
    fi
    last=$now
    sleep 0.2
  done
  return 1
}
# Waits until no window other than the main window is visible (a dialog that stays is a fault).
only_main() {
  local id
  for _ in $(seq "$patience"); do
    local others=
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      [ "$id" = "$main" ] || others="$others $(xdotool getwindowname "$id" 2>/dev/null)"
    done
    [ -z "$others" ] && return 0
    sleep 0.1
  done
  die "a window stayed open:$others"
}
# Presses keys in a dialog until it has gone (Return in a file dialog may first only take the
# completer's suggestion).
press_till_gone() {  # press_till_gone NAME KEY
  local id
  for _ in 1 2 3; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -z "$id" ] && return 0
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key "$2"
    gone "$1" 20 && return 0
  done
  return 1
}
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || true; }
# The pointer rests on the left of the status bar, where nothing shows a tooltip.
park() { xdotool mousemove "$((mx + 20))" "$((my + mh - 8))"; }

# --- 1. Start -------------------------------------------------------------------------------
step="1 start"
unset QT_QPA_PLATFORM
state_log=$work/program.log
HOME=$home SONVARA_CONFIG=$conf XDG_RUNTIME_DIR=$pulse/runtime \
  QT_LOGGING_RULES="sonvara.state.info=true" "$build/sonvara" > "$state_log" 2>&1 &
pid=$!
main=$(main_window) || die "no main window"
# Start-up ends with the tree at the last folder (~/Music), read off the user-interface thread.
wait_state "tree: last folder selected" || die "the tree did not select the last folder"
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X my=$Y mw=$WIDTH mh=$HEIGHT
# The panes, from the empty lists' white: along the middle row of the window the left panes
# and then the working list; the working list's header ends where its white begins.
wait_filled "$mx" "$((my + mh / 2))" "$mw" 1 || die "the window shows nothing"
settle "$mx" "$my" "$mw" "$mh" || die "the window does not come to rest"
read -r left_start left_end right_start right_end < <(
  pixels "$mx" "$((my + mh / 2))" "$mw" 1 | awk '
    BEGIN { n = 0 }
    { white = ($3 >= 250 && $4 >= 250 && $5 >= 250) }
    white && !inrun { inrun = 1; start = $1 }
    !white && inrun { inrun = 0; if ($1 - start > 100) { s[n] = start; e[n] = $1 - 1; n++ } }
    END { if (inrun && $1 - start > 100) { s[n] = start; e[n] = $1; n++ }
          if (n >= 2) print s[0], e[0], s[n - 1], e[n - 1] }')
[ -n "${right_end:-}" ] || die "cannot find the panes in the window at $mx,$my ${mw}x$mh"
column_top() {  # column_top X: the first white row of the white run through the middle
  pixels "$1" "$my" 1 "$((mh / 2))" | awk '
    BEGIN { top = -1 }
    { white = ($3 >= 250 && $4 >= 250 && $5 >= 250) }
    !white { top = -1 } white && top < 0 { top = $2 } END { print top }'
}
list_top=$(column_top "$((right_start + 100))")   # below the working list's header
files_top=$(column_top "$((left_start + 60))")    # below the file list's header
[ "$list_top" -gt "$my" ] && [ "$files_top" -gt "$my" ] || die "cannot find the list headers"
header_y=$((list_top - 8))
first_row_y=$((list_top + 8))
list_rows=("$right_start" "$list_top" "$((right_end - right_start))" 90)
file_rows=("$left_start" "$files_top" "$((left_end - left_start))" 40)
tree_rows=("$left_start" "$list_top" "$((left_end - left_start))" "$(((files_top - list_top) / 2))")
park
echo "panes: files x $left_start-$left_end from y $files_top; list x $right_start-$right_end from y $list_top"

# --- 2. Choose the collection's folder in the tree with keys ---------------------------------
step="2 folder tree"
# The tree has selected the last folder (at first ~/Music) by itself. The working list has the
# keyboard; Shift+Tab twice reaches the tree; Right opens ~/Music (read again, off the
# user-interface thread), and typing the start of a name selects "Collection". Its files then
# show in the file list.
focus "$main"
xdotool key --delay 100 shift+Tab shift+Tab Right
wait_state "tree: folder read: " || die "Right did not open the selected folder"
focus "$main"
xdotool type --delay 100 Coll
wait_state "folder listed: 5 track files" || die "the collection's files are not listed"
wait_filled "${file_rows[@]}" || die "the collection's files are not shown"

# --- 3. Add the files to the working list ------------------------------------------------------
step="3 add tracks"
# Tab to the file list, "A" selects all, Alt+T adds them (read behind the "Read Files" dialog).
focus "$main"
xdotool key --delay 100 Tab a alt+t
wait_state "tracks added: 5; listed 5" || die "the five files were not added"
wait_filled "${list_rows[@]}" || die "no tracks in the working list"
only_main

# --- 4. Analyse ---------------------------------------------------------------------------------
step="4 analyse"
focus "$main"
xdotool key ctrl+o  # Sonvara > Analyze...: the run dialog starts by itself and closes at its end
wait_state "job done: analyze" || die "the analysis did not end"
only_main

# --- 5. Sort by "Check" ------------------------------------------------------------------------
step="5 sort"
# The columns start with "File" (176 pixels wide), then "Check".
xdotool mousemove "$((right_start + 176 + 25))" "$header_y" click 1
wait_state "sorted: 1 keys" || die "clicking the Check header did not sort"
park

# --- 6. Convert MP3 -> WAV with normalising switched on ------------------------------------
step="6 convert"
dialog=$(press_until "$main" '^Convert MP3 -> WAV' ctrl+w) || die "no conversion dialog"
sheet=$(press_until "$dialog" 'Configuration' alt+e) || die "the dialog's Settings... did not open"
# The sheet opens with the keyboard in "Track Directory:"; three Tabs lead to "Normalize".
focus "$sheet"
xdotool key ctrl+a
xdotool type --delay 10 "$out"
xdotool key --delay 100 Tab Tab Tab space Return
gone 'Configuration' || die "the settings sheet did not close with Enter"
grep -q '^Normalize=1' "$conf" || die "the sheet did not store Normalize"
focus "$dialog"
xdotool key alt+s  # "&Start"; the dialog closes itself after the run
wait_state "job done: mp3-to-wav" || die "the conversion did not end"
gone '^Convert MP3 -> WAV' || die "the conversion dialog stayed"
only_main
for name in alpha bravo delta; do
  wav=$out/$name.wav
  [ -f "$wav" ] || die "no $wav"
  [ "$(soxi -t "$wav")" = wav ] && [ "$(soxi -r "$wav")" = 44100 ] &&
    [ "$(soxi -c "$wav")" = 2 ] || die "$wav is not a 44.1 kHz stereo WAV file"
  # Whole: six seconds of sound (a decoder may add or drop a frame's worth at either end).
  samples=$(soxi -s "$wav")
  [ "$samples" -gt 255000 ] && [ "$samples" -lt 275000 ] ||
    die "$wav holds $samples samples, not six seconds"
  peak=$(sox "$wav" -n stat 2>&1 | awk '/Maximum amplitude/ { print $3 }')
  awk -v p="$peak" 'BEGIN { exit !(p > 0.85 && p <= 1.0) }' ||
    die "$wav is not normalised (peak $peak; the source's is 0.3)"
done
[ ! -e "$out/charlie.wav" ] || die "the corrupt file was converted"
echo "converted and normalised: $(ls "$out" | tr '\n' ' ')"

# --- 7. Change a title in the properties sheet -----------------------------------------------
step="7 edit tag"
xdotool mousemove "$((right_start + 60))" "$first_row_y" click --repeat 2 --delay 100 1
props=$(window '^Properties of: ') || die "a double click on a row opened no properties sheet"
park
old=$(xdotool getwindowname "$props" | sed -e 's/^Properties of: //' -e 's/ — .*//')
case $old in
  "Alpha Tone") edited=$coll/alpha.mp3 ;;
  "Bravo Tone") edited=$coll/bravo.mp3 ;;
  "Delta Tone") edited=$coll/delta.mp3 ;;
  "Charlie Tone") edited=$coll/charlie.mp3 ;;
  *) die "the sheet shows an unexpected track: $old" ;;
esac
focus "$props"
xdotool type --delay 10 "Edited Story Title"
xdotool key Return
wait_state "properties closed: changed" || die "the sheet did not close with Enter, changed"
gone '^Properties of: ' || die "the sheet stayed"
title=$(/usr/bin/python3 -c 'import sys, mutagen.id3; print(mutagen.id3.ID3(sys.argv[1])["TIT2"])' \
  "$edited")
[ "$title" = "Edited Story Title" ] || die "the file's title is \"$title\", not the new one"
echo "title of $(basename "$edited"): $old -> $title"

# --- 8. Play a track for a moment, then stop it --------------------------------------------------
step="8 play"
focus "$main"
xdotool key alt+p  # Edit > Play Track: the selected row
playing=
for _ in $(seq "$patience"); do
  if pactl list sink-inputs 2>/dev/null | grep -q 'Corked: no'; then playing=1; break; fi
  sleep 0.1
done
[ -n "$playing" ] || die "no sound reached the sound server"
# A second of the tone (16-bit stereo at 44.1 kHz, hardly a zero byte in it) reaches the sink.
sound() { tr -d '\0' < "$pulse/capture.raw" | wc -c; }
for _ in $(seq "$patience"); do
  [ "$(sound)" -ge 150000 ] && break
  sleep 0.1
done
captured=$(sound)
[ "$captured" -ge 150000 ] ||
  die "the sink received $captured bytes of sound ($(stat -c %s "$pulse/capture.raw") in all)"
focus "$main"
xdotool key alt+s  # Edit > Stop Playing
stopped=
for _ in $(seq "$patience"); do
  if ! pactl list sink-inputs 2>/dev/null | grep -q 'Corked: no'; then stopped=1; break; fi
  sleep 0.1
done
[ -n "$stopped" ] || die "the track went on playing after Stop Playing"
# Stopped early: far less than the whole track (six seconds) reached the sink.
[ "$(sound)" -lt 800000 ] || die "the whole track played: $(sound) bytes of sound"
echo "played: $captured bytes of sound reached the sink"

# --- 9. Save the analysis results ------------------------------------------------------------
step="9 report"
press_until "$main" '^Save Analysis Results' ctrl+s > /dev/null || die "no file dialog"
focus "$(window '^Save Analysis Results')"
xdotool key ctrl+a
xdotool type --delay 25 "$report"
press_till_gone '^Save Analysis Results' Return || die "the file dialog did not take the name"
wait_state "report: saved" || die "the report was not saved"
only_main
[ -f "$report" ] || die "no report written (text files: $(find "$work" -name '*.txt'))"
# A title line and a blank line, then seven lines and a blank line for each of the five tracks.
[ "$(head -1 "$report")" = "Analysis Results:" ] || die "the report's first line: $(head -1 "$report")"
[ "$(wc -l < "$report")" -eq 42 ] || die "the report has $(wc -l < "$report") lines, not 42"
[ "$(grep -c '^File: ' "$report")" -eq 5 ] || die "the report does not hold five tracks"
checks=$(sed -n 's/^Check: *//p' "$report" | tr -d '\r' | tr '\n' ' ')
echo "report order by Check: $checks"
grep -q "charlie.mp3" "$report" && grep -q "echo.wav" "$report" || die "tracks missing"
[ "$(grep -c '^Check: *OK' "$report")" -eq 3 ] || die "not three OK tracks: $checks"
[ "$(grep -c '^Check: *Corrupt' "$report")" -eq 1 ] || die "not one corrupt track: $checks"
grep -q '^Title: *Edited Story Title' "$report" || die "the new title is not in the report"
[ "$(grep -c '^Convert: MP3 -> WAV$' "$report")" -eq 3 ] ||
  die "the report does not show three tracks converted MP3 -> WAV"
# The order is the sorted one: each verdict in one run.
awk '/^Check:/ { v = $0; if (v != last && seen[v]++) bad = 1; last = v } END { exit bad }' \
  "$report" || die "the report does not follow the sorted order: $checks"

# --- 10. Move the corrupt file -------------------------------------------------------------------
step="10 move corrupt"
press_until "$main" '^Move All Corrupt Files' ctrl+l > /dev/null || die "no folder picker"
focus "$(window '^Move All Corrupt Files')"
xdotool key ctrl+a
xdotool type --delay 25 "$moved"
press_till_gone '^Move All Corrupt Files' Return || die "the folder picker did not take the folder"
wait_state "move done: 4 listed" || die "the move did not end with four tracks listed"
only_main
[ -f "$moved/charlie.mp3" ] && [ ! -e "$coll/charlie.mp3" ] || die "the corrupt file did not move"
for name in alpha.mp3 bravo.mp3 delta.mp3 echo.wav; do
  [ -f "$coll/$name" ] || die "$name left the collection"
done
[ "$(ls "$moved")" = charlie.mp3 ] || die "more than the corrupt file moved: $(ls "$moved")"

# --- 11. File > Exit, then the settings ---------------------------------------------------------
step="11 exit"
# First the "File" column made 40 pixels wider by dragging its header's right edge.
before=$(print_of "${list_rows[@]}")
xdotool mousemove "$((right_start + 176))" "$header_y" mousedown 1
xdotool mousemove "$((right_start + 196))" "$header_y" mousemove "$((right_start + 216))" \
  "$header_y" mouseup 1
park
wait_changed "$before" "${list_rows[@]}" || die "dragging the header's edge changed nothing"
focus "$main"
xdotool key --delay 100 alt+f x
ended "$pid" || die "File > Exit did not end the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || die "the program ended with status $status"
grep -qx "Rectangle=$placement" "$conf" ||
  die "the window placement is not stored as it was restored: $(grep Rectangle "$conf")"
grep -qx "Path=$coll" "$conf" || die "the last folder is not stored"
widths=$(sed -n 's/^LISTSELECTEDTRACK="\(.*\)"$/\1/p' "$conf")
[[ $widths =~ ^([0-9]+,){9}$ ]] || die "no column widths stored: \"$widths\""
file_width=${widths%%,*}
[ "$file_width" -ge 206 ] && [ "$file_width" -le 226 ] ||
  die "the widened File column is stored as $file_width pixels, not about 216"
grep -qx "TrackDir=$out" "$conf" || die "the track directory chosen in the sheet is not stored"
echo "stored: $(grep "^Rectangle=" "$conf"), column widths $widths, last folder ${coll#"$work"/}"
echo "user story: ok"
