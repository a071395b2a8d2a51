#!/usr/bin/env bash
# End to end, as a user: start korvel.exe, click keys at their places on the
# screen, take a screenshot and check that the LED shows what was typed, then
# leave with File > Exit and expect exit code 0. Prints the time from start to
# the window's first showing and the peak memory of the process.
# Run inside scripts/wine-session. Usage: endToEnd.sh KORVEL_EXE LED_BMP WORK_DIR
set -euo pipefail
exe=$1
led_strip=$2
work=$3
mkdir -p "$work"

started=$(date +%s%N)
wine "$exe" &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT
window=$(timeout 60 xdotool search --sync --onlyvisible --name "KORVEL Simulator" | head -1)
echo "start-up to window shown: $((($(date +%s%N) - started) / 1000000)) ms"
sleep 1

# The client area (556 x 600) sits at the bottom of the window, inside a
# frame of equal width on the left, right and bottom.
eval "$(xdotool getwindowgeometry --shell "$window")"
frame=$(((WIDTH - 556) / 2))
left=$((X + frame))
top=$((Y + HEIGHT - 600 - frame))

click_key() { # key's client x, y, width, height
  xdotool mousemove $((left + $1 + $3 / 2)) $((top + $2 + $4 / 2)) click 1
  sleep 0.2
}
click_key 348 532 39 39 # 1
click_key 388 453 38 39 # A
click_key 427 453 39 39 # B
click_key 348 413 39 39 # D
xdotool mousemove 0 0
sleep 0.5
import -window root "$work/typed.png"

failed=0
cells=(2 11 12 14) # the LED strip's cells for 1, A, b, d
for position in 0 1 2 3; do
  convert "$work/typed.png" -crop "19x24+$((left + 109 + 29 * position))+$((top + 237))" +repage \
    "$work/shown$position.png"
  convert "$led_strip" -crop "19x24+$((19 * cells[position]))+0" +repage "$work/cell$position.png"
  differing=$(compare -metric AE "$work/shown$position.png" "$work/cell$position.png" null: 2>&1 || true)
  if [ "$differing" != "0" ]; then
    echo "LED position $position differs from cell ${cells[position]} in $differing pixels"
    failed=1
  fi
done

pid=$(xdotool getwindowpid "$window" 2>/dev/null || true)
[ -n "$pid" ] && grep VmHWM "/proc/$pid/status" | sed 's/^/peak memory of korvel.exe: /'

xdotool mousemove $((left + 15)) $((top - 10)) click 1 # the File menu
sleep 0.5
xdotool key x # E&xit
set +e
timeout 20 tail --pid="$program" -f /dev/null
wait "$program"
code=$?
set -e
trap - EXIT
echo "korvel.exe exit code: $code"
[ "$code" -eq 0 ] || failed=1
[ "$failed" -eq 0 ] && echo "end-to-end: LED shows 1 A b d as typed"
exit "$failed"
