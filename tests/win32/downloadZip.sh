#!/usr/bin/env bash
# The Windows download as a user gets it: unzipped into an empty folder and run
# in a fresh Wine prefix with nothing else installed. Checks that the programs
# import no DLL beyond the system's, that both carry the version in their file
# properties and korvel-cli says it, that korvel-cli renders an example to the
# same bytes as the native korvel-cli and refuses play plainly, and that
# korvel.exe shows its window. Prints the time each step took.
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
for file in korvel.exe korvel-cli.exe README.txt examples/twinkle-twinkle.dat; do
  [ -f "$file" ] || fail "the zip holds no $file"
done
grep -q $'\r$' README.txt || fail "README.txt lacks Windows line ends"

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
done
step "programs checked"

export WINEPREFIX=$work/prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot --init >"$work/wineboot.log" 2>&1
step "fresh Wine prefix made"

said=$(wine_run korvel-cli.exe --version | tr -d '\r')
[ "$said" = "korvel-cli $version" ] || fail "korvel-cli.exe --version says '$said'"

wine_run korvel-cli.exe render 'examples\twinkle-twinkle.dat' -o twinkle.wav >"$work/render.log" ||
  fail "korvel-cli.exe render failed: $(cat "$work/render.log")"
set +e
refusal=$(wine_run korvel-cli.exe play 'examples\twinkle-twinkle.dat')
status=$?
set -e
[ "$status" -eq 1 ] && grep -q "cannot play sound" <<<"$refusal" ||
  fail "korvel-cli.exe play did not refuse plainly (status $status): $refusal"
step "korvel-cli.exe --version, render and play"

wine korvel.exe >"$work/korvel.log" 2>&1 &
timeout 60 xdotool search --sync --onlyvisible --name "KORVEL Simulator" >/dev/null ||
  fail "korvel.exe showed no window"
step "korvel.exe window shown"

# Last, as it needs the native tree (make test builds it first).
if [ ! -x "$native_cli" ]; then
  echo "SKIP: no native korvel-cli at $native_cli to compare the render with (make build)"
  exit 77
fi
"$native_cli" render "$folder/examples/twinkle-twinkle.dat" -o "$work/native.wav"
cmp "$work/native.wav" twinkle.wav || fail "the render under Wine differs from the native one"
echo "download zip: starts, renders as the native program does, version $version"
