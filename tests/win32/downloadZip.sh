#!/usr/bin/env bash
# The Windows download as a user gets it: unzipped into an empty folder and run
# in a fresh Wine prefix with nothing else installed. Checks that the programs
# import no DLL beyond the system's, that both carry the version and the
# licence's copyright line in their file properties and korvel-cli says them,
# that the licences come with them, that korvel-cli renders an example to the
# same bytes as the native korvel-cli and refuses play plainly, and that
# korvel.exe shows its window and plays. Prints the time each step took.
# Run inside scripts/wine-session (for its display).
# Usage: downloadZip.sh ZIP VERSION WORK_DIR NATIVE_KORVEL_CLI
set -euo pipefail
zip=$1
version=$2
work=$3
native_cli=$4
here=$(cd "$(dirname "$0")" && pwd)
wine_run() { bash "$here/../../scripts/wine-run" "$@"; }
step_started=$(date +%s%N)
step() {
  local now
  now=$(date +%s%N)
  echo "$1: $(((now - step_started) / 1000000)) ms"
  step_started=$now
}
fail() {
  echo "FAIL: $*"
  exit 1
}

rm -rf "$work"
mkdir -p "$work/unzipped"
(cd "$work/unzipped" && cmake -E tar xf "$zip")
folder=$work/unzipped/$(basename "$zip" .zip)
cd "$folder"
for file in korvel.exe korvel-cli.exe README.txt LICENSE.txt LICENSE-third-party.txt examples/twinkle-twinkle.dat; do
  [ -f "$file" ] || fail "the zip holds no $file"
done
for text in README.txt LICENSE.txt LICENSE-third-party.txt; do
  grep -q $'\r$' "$text" || fail "$text lacks Windows line ends"
done
copyright=$(grep -m 1 '^Copyright ' LICENSE.txt | tr -d '\r')
for part in 'GCC Runtime Library Exception' winpthreads CLI11; do
  grep -q "$part" LICENSE-third-party.txt || fail "LICENSE-third-party.txt does not cover $part"
done

# The DLLs every Windows has; a MinGW runtime or SDL2 DLL would be missing on one.
system_dlls='^(kernel32|user32|gdi32|comdlg32|winmm|msvcrt|advapi32|shell32|ole32)\.dll$'
for exe in korvel.exe korvel-cli.exe; do
  x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | while read -r dll; do
    grep -qiE "$system_dlls" <<<"$dll" || fail "$exe imports $dll, not a system DLL"
  done
  properties=$(x86_64-w64-mingw32-windres -i "$exe" -O rc)
  for field in FileVersion ProductVersion; do
    grep -qF "VALUE \"$field\", \"$version\"" <<<"$properties" ||
      fail "$exe: $field is not $version"
  done
  grep -qF "VALUE \"LegalCopyright\", \"$copyright\"" <<<"$properties" ||
    fail "$exe: LegalCopyright is not '$copyright'"
done
step "programs checked"

export WINEPREFIX=$work/prefix
recorder=
trap '[ -z "$recorder" ] || kill "$recorder" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
wine wineboot --init >"$work/wineboot.log" 2>&1
step "fresh Wine prefix made"

said=$(wine_run korvel-cli.exe --version | tr -d '\r' | sed -n '1,2p')
[ "$said" = "korvel-cli $version"$'\n'"$copyright" ] || fail "korvel-cli.exe --version says '$said'"

wine_run korvel-cli.exe render 'examples\twinkle-twinkle.dat' -o twinkle.wav >"$work/render.log" ||
  fail "korvel-cli.exe render failed: $(cat "$work/render.log")"
refuses_to_play() {
  local refusal status
  refusal=$(wine_run korvel-cli.exe play 'examples\twinkle-twinkle.dat')
  status=$?
  [ "$status" -eq 1 ] && grep -q "cannot play sound" <<<"$refusal" && return
  echo "korvel-cli.exe play: status $status, said '$refusal'"
  return 1
}
# Wine in a new prefix once lost the refusal's text (status 1, nothing said),
# so it is asked for twice before it counts as a fault.
refuses_to_play || refuses_to_play || fail "korvel-cli.exe play did not refuse plainly"
step "korvel-cli.exe --version, render and play"

wine korvel.exe >"$work/korvel.log" 2>&1 &
# xdotool's search dies (BadWindow) when a window it listed is gone before it
# is looked at, as Wine's start-up windows come and go: it is asked again,
# each such retry printed, until a minute has passed.
window=
deadline=$((SECONDS + 60))
while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
  window=$(xdotool search --onlyvisible --name "KORVEL Simulator" 2>"$work/search.err" | head -1) || true
  if [ -s "$work/search.err" ]; then
    echo "retry: the window search failed: $(head -1 "$work/search.err")"
  fi
  [ -n "$window" ] || sleep 0.2
done
[ -n "$window" ] || fail "korvel.exe showed no window"
step "korvel.exe window shown"

# It plays: in organ mode (C, then RUN) a key held with the mouse sounds at
# the session's null output. The board is found in the window by its top rows.
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$work/screen.png"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$work/window.png"
convert "$here/../../resources/base.bmp" -crop 556x8+0+0 +repage "$work/boardTop.png"
found=$(compare -metric AE -subimage-search "$work/window.png" "$work/boardTop.png" null: 2>&1 || true)
[[ $found =~ ^0\ .*@\ ([0-9]+),([0-9]+) ]] || fail "the board is not in korvel.exe's window ($found)"
left=$((X + BASH_REMATCH[1]))
top=$((Y + BASH_REMATCH[2]))
key_centre() { echo $((left + $1 + 19)) $((top + $2 + 19)); } # keys are 39 pixels square
xdotool mousemove $(key_centre 308 413) click 1 # C
sleep 0.2
xdotool mousemove $(key_centre 467 373) click 1 # RUN
sleep 0.2
parec -d null.monitor --raw --format=u8 --rate=22050 --channels=1 "$work/organ.u8" &
recorder=$!
xdotool mousemove $(key_centre 348 532) mousedown 1 # 1, held
sleep 1.5
xdotool mouseup 1
sleep 0.3
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=
sounding=$(od -An -v -tu1 "$work/organ.u8" | tr -s ' ' '\n' | grep -cvE '^(128)?$' || true)
[ "$sounding" -gt 11025 ] || fail "korvel.exe's organ sounded $sounding samples of a 1.5 s hold"
step "korvel.exe plays ($sounding samples sounding)"

# Last, as it needs the native tree (make test builds it first).
if [ ! -x "$native_cli" ]; then
  echo "SKIP: no native korvel-cli at $native_cli to compare the render with (make build)"
  exit 77
fi
"$native_cli" render "$folder/examples/twinkle-twinkle.dat" -o "$work/native.wav"
cmp "$work/native.wav" twinkle.wav || fail "the render under Wine differs from the native one"
echo "download zip: starts, renders as the native program does, version $version"
