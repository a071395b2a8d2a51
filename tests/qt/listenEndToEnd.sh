#!/usr/bin/env bash
# End to end, as a user: korvel's editor listens to korvel-cli's render of an
# example played into the session's null output, and writes at row 010 of
# empty memory the steps and tempo row `korvel-cli import` makes of the same
# file. The program hears the output through a source made of its monitor
# (a monitor alone is no sound input). A stalled sound server can leave a gap
# in what was heard, so a difference is listened to again up to twice more,
# each retry printed, and their count at the end, so a trend shows.
# Run inside scripts/desktop-session.
# Usage: listenEndToEnd.sh KORVEL KORVEL_CLI LISTEN_CHECK SOURCE_DIR WORK_DIR
set -euo pipefail
korvel=$1 cli=$2 check=$3 source_dir=$4 work=$5
mkdir -p "$work"
# Fresh settings and no file left to replace: the save dialog asks nothing more.
export XDG_CONFIG_HOME=$work/config
rm -rf "$XDG_CONFIG_HOME" "$work"/listened-*.dat
recording=$work/heard.wav
"$cli" render "$source_dir/examples/frere-jacques.dat" --notes 10 -o "$recording"
"$cli" import "$recording" -o "$work/expected.dat" >/dev/null
pactl load-module module-remap-source master=null.monitor source_name=listen >/dev/null
pactl set-default-source listen
# The first stream into the fresh output comes through with a gap: a second of
# silence first.
head -c 44100 /dev/zero | pacat --raw --format=s16le --rate=22050 --channels=1

QT_QPA_PLATFORM=xcb "$korvel" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT
window=$(timeout 30 xdotool search --sync --onlyvisible --name "KORVEL Simulator" | head -1)
sleep 1
xdotool windowfocus --sync "$window"
xdotool key F2 # the editor, the keyboard in its table
sleep 0.5
failed=1 retries=0
for attempt in 1 2 3; do
  xdotool key Home Down Down Down Down F7 # Listen at row 010
  sleep 0.5
  paplay "$recording"
  sleep 0.5
  xdotool key F7 # written from the selected row
  sleep 0.5
  listened=$work/listened-$attempt.dat
  xdotool key ctrl+s
  # With no window manager, the keyboard stays where it was last put.
  xdotool windowfocus --sync "$(timeout 10 xdotool search --sync --onlyvisible --name "Save Script" | head -1)"
  sleep 0.3
  xdotool key ctrl+a type "$listened"
  xdotool key Return
  for ((i = 0; i < 50; i++)); do [ -s "$listened" ] && break; sleep 0.1; done
  xdotool windowfocus --sync "$window"
  verdict=0
  "$check" "$work/expected.dat" "$listened" || verdict=$?
  [ "$verdict" -eq 0 ] && failed=0 && break
  [ "$verdict" -eq 1 ] && [ "$attempt" -lt 3 ] || break
  retries=$((retries + 1))
  echo "retry $retries: Listen heard other steps than the import, as a gap from a stalled sound server makes; listening again"
  xdotool key ctrl+r # empty memory again
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
echo "korvel exit code: $code; listened again after a difference: $retries"
[ "$code" -eq 0 ] || failed=1
[ "$failed" -eq 0 ] && echo "end-to-end: Listen wrote the steps korvel-cli import makes of the same recording"
exit "$failed"
