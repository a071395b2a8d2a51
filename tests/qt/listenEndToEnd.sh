#!/usr/bin/env bash
# End to end, as a user: korvel's tune editor listens to a recording played
# into the session's null sound output, and writes at row 010 of empty memory
# the same steps, and the same tempo row, as `korvel-cli import` makes of the
# same file. The recording is korvel-cli's render of an example's opening.
# The program hears the null output through a source made of its monitor (a
# monitor alone is not offered as a sound input), the default source here.
# A stalled sound server can leave a gap in what was heard, so a difference
# is listened to again up to twice more; each retry is printed, and their
# count at the end, so a trend shows.
# Run inside scripts/desktop-session.
# Usage: listenEndToEnd.sh KORVEL KORVEL_CLI LISTEN_CHECK SOURCE_DIR WORK_DIR
set -euo pipefail
korvel=$1
cli=$2
check=$3
source_dir=$4
work=$5
mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config
# Fresh settings and no file left to replace: the save dialog asks nothing more.
rm -rf "$XDG_CONFIG_HOME" "$work"/listened-*.dat

recording=$work/heard.wav
expected=$work/expected.dat
"$cli" render "$source_dir/examples/frere-jacques.dat" --notes 10 -o "$recording"
"$cli" import "$recording" -o "$expected" >"$work/import.txt"

pactl load-module module-remap-source master=null.monitor source_name=listen >/dev/null
pactl set-default-source listen

QT_QPA_PLATFORM=xcb "$korvel" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT
window=$(timeout 30 xdotool search --sync --onlyvisible --name "KORVEL Simulator" | head -1)
sleep 1
xdotool windowfocus --sync "$window"
xdotool key F2 # the editor, the keyboard in its table
sleep 0.5
xdotool key Down Down Down Down # row 010

failed=1
retries=0
for attempt in 1 2 3; do
  xdotool key F7 # Listen
  sleep 0.5
  paplay "$recording"
  sleep 0.5
  xdotool key F7 # written from the selected row
  sleep 0.5
  listened=$work/listened-$attempt.dat
  xdotool key ctrl+s
  # With no window manager, the keyboard stays where it was last put.
  dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "Save Script" | head -1)
  xdotool windowfocus --sync "$dialog"
  sleep 0.3
  xdotool key ctrl+a # over the name the dialog proposes
  xdotool type "$listened"
  xdotool key Return
  for ((i = 0; i < 50; i++)); do [ -s "$listened" ] && break; sleep 0.1; done
  xdotool windowfocus --sync "$window"
  sleep 0.3
  verdict=0
  "$check" "$expected" "$listened" || verdict=$?
  if [ "$verdict" -eq 0 ]; then
    failed=0
    break
  fi
  [ "$verdict" -eq 1 ] && [ "$attempt" -lt 3 ] || break
  retries=$((retries + 1))
  echo "retry $retries: Listen heard other steps than the import, as a gap from a stalled sound server makes; listening again"
  xdotool key ctrl+r Home Down Down Down Down # empty memory, the cursor on row 010 again
  sleep 0.3
done

xdotool key ctrl+q
set +e
timeout 20 tail --pid="$program" -f /dev/null
kill "$program" 2>/dev/null # still asking whether to save a tune heard but not saved
wait "$program"
code=$?
set -e
trap - EXIT
echo "korvel exit code: $code"
echo "listened again after a difference: $retries"
[ "$code" -eq 0 ] || failed=1
[ "$failed" -eq 0 ] && echo "end-to-end: Listen wrote the steps korvel-cli import makes of the same recording"
exit "$failed"
