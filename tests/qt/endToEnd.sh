#!/usr/bin/env bash
# End to end, as a user: start korvel with a tune, click four keys at their
# places on the screen and type two on the PC keyboard, checking each time
# that a screenshot of the LED shows the digits as the LED strip draws them,
# also after holding a key through its auto-repeat; then STOP and RUN from the keyboard, record the tune from the null sound
# output and have korvel_recording_check compare it with the tune; then type a
# tune on the editor's piano keys, save it, play it from its first row and
# check the recording against the saved file the same way; finally leave
# with Ctrl+Q and expect exit code 0. A recording with a break, which a
# stalled sound server makes as well as the program, is taken up to twice
# more; each retry is printed, and their count at the end, so a trend shows.
# Any other fault in a recording fails at once.
# Run inside scripts/desktop-session.
# Usage: endToEnd.sh KORVEL RECORDING_CHECK SOURCE_DIR WORK_DIR
set -euo pipefail
korvel=$1
check=$2
source_dir=$3
work=$4
tune=$source_dir/examples/ode-to-joy.dat
led_strip=$source_dir/resources/led.bmp
board=$source_dir/resources/base.bmp
recording_seconds=${KORVEL_RECORD_SECONDS:-8}
mkdir -p "$work"
# Fresh settings, so no remembered zoom or position moves the board.
export XDG_CONFIG_HOME=$work/config
rm -rf "$XDG_CONFIG_HOME"

QT_QPA_PLATFORM=xcb "$korvel" "$tune" &
program=$!
recorder=
trap 'kill $program $recorder 2>/dev/null || true' EXIT
window=$(timeout 30 xdotool search --sync --onlyvisible --name "KORVEL Simulator" | head -1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"

# The board starts below the menu bar: find the first row where its top shows.
import -window root "$work/window.png"
convert "$board" -crop 556x8+0+0 +repage "$work/boardTop.png"
left=$X
top=
for ((dy = 0; dy < HEIGHT - 600; dy++)); do
  convert "$work/window.png" -crop "556x8+$X+$((Y + dy))" +repage "$work/row.png"
  if [ "$(compare -metric AE "$work/row.png" "$work/boardTop.png" null: 2>&1 || true)" = 0 ]; then
    top=$((Y + dy))
    break
  fi
done
[ -n "$top" ] || { echo "the board is not in the window"; exit 1; }

failed=0
check_led() { # name, LED strip cells of positions 0..3 (left to right)
  local name=$1; shift
  local cells=("$@")
  xdotool mousemove 0 0
  sleep 0.5
  import -window root "$work/$name.png"
  for position in 0 1 2 3; do
    convert "$work/$name.png" -crop "19x24+$((left + 109 + 29 * position))+$((top + 237))" +repage \
      "$work/$name-shown$position.png"
    convert "$led_strip" -crop "19x24+$((19 * cells[position]))+0" +repage "$work/$name-cell$position.png"
    differing=$(compare -metric AE "$work/$name-shown$position.png" "$work/$name-cell$position.png" null: 2>&1 || true)
    if [ "$differing" != 0 ]; then
      echo "$name: LED position $position differs from cell ${cells[position]} in $differing pixels"
      failed=1
    fi
  done
}

click_key() { # the key's place on the board: x, y, width, height
  xdotool mousemove $((left + $1 + $3 / 2)) $((top + $2 + $4 / 2)) click 1
  sleep 0.2
}
click_key 348 532 39 39 # 1
click_key 388 453 38 39 # A
click_key 427 453 39 39 # B
click_key 348 413 39 39 # D
check_led clicked 2 11 12 14 # 1 A b d

xdotool windowfocus --sync "$window"
xdotool key 2
sleep 0.2
xdotool key 3
check_led typed 12 14 3 4 # b d 2 3

# Held for two seconds, through the X server's auto-repeat: typed once.
xdotool keydown 7
sleep 2
xdotool keyup 7
check_led held 14 3 4 8 # d 2 3 7

record_tune() { # the key that starts the tune from the clock; recorded from the null output, then STOP
  parec -d null.monitor --raw --format=u8 --rate=22050 --channels=1 "$work/tune.u8" &
  recorder=$!
  sleep 0.5
  xdotool key "$1"
  sleep "$recording_seconds"
  kill "$recorder"
  wait "$recorder" 2>/dev/null || true
  recorder=
  xdotool key Escape # STOP: the clock
  sleep 0.3
}
# The shared test machine's sound server can stall for a moment, leaving a
# break (exit code 3 of the check); a break that comes in three recordings
# running is the program's. A wrong or missing tone is never the server's.
retries=0
record_and_check() { # the key that starts the tune, the script it should sound as
  local attempt verdict
  for attempt in 1 2 3; do
    record_tune "$1"
    verdict=0
    "$check" "$2" "$work/tune.u8" || verdict=$?
    [ "$verdict" -eq 0 ] && return
    if [ "$verdict" -ne 3 ] || [ "$attempt" -eq 3 ]; then
      failed=1
      return
    fi
    retries=$((retries + 1))
    echo "retry $retries: a break in the recording of $(basename "$2"), as a stalled sound server makes; recording again"
  done
}
xdotool key Escape # STOP: the clock
sleep 0.3
record_and_check space "$tune" # RUN

# The tune editor: memory cleared, E D C G and the end marker typed on the
# piano keys in the note column from the start address's row, saved through
# the file dialog, then played from that row as the saved tune sounds.
xdotool key ctrl+r # Reset
sleep 0.3
xdotool key F2 # the editor, the keyboard in its table
sleep 0.5
xdotool key Down Down Down Down Right # the start address's row, 010 after Reset; the note column
for key in c x z b slash; do
  xdotool key "$key"
  sleep 0.3
done
typed=$work/typed.dat
rm -f "$typed"
xdotool key ctrl+s
sleep 1
xdotool key ctrl+a # over the name the dialog proposes
xdotool type "$typed"
xdotool key Return
for ((i = 0; i < 50; i++)); do [ -s "$typed" ] && break; sleep 0.1; done
# With no window manager here, the window is not brought back by itself.
xdotool windowfocus --sync "$window"
sleep 0.3
if [ -s "$typed" ]; then
  xdotool key Up Up Up Up Up # back to the first row typed
  sleep 1 # past the row's own tone, which would sound in the recording before play
  record_and_check F5 "$typed" # Play from Row
else
  echo "the tune typed in the editor was not saved"
  failed=1
fi

xdotool key ctrl+q
set +e
timeout 20 tail --pid="$program" -f /dev/null
wait "$program"
code=$?
set -e
trap - EXIT
echo "korvel exit code: $code"
echo "recordings taken again after a break: $retries"
[ "$code" -eq 0 ] || failed=1
[ "$failed" -eq 0 ] && echo "end-to-end: LED shows 1 A b d clicked, b d 2 3 typed and 7 held; the tune played as written"
exit "$failed"
