#!/usr/bin/env bash
# Records what korvelSoundProbe plays through the session's null sound output
# and has the probe check the recording. Run inside scripts/wine-session.
# Usage: recordTune.sh PROBE_EXE WORK_DIR
set -euo pipefail
probe=$1
work=$2
mkdir -p "$work"
recording=$work/tune.u8

parec -d null.monitor --raw --format=u8 --rate=22050 --channels=1 "$recording" &
recorder=$!
trap 'kill "$recorder" 2>/dev/null || true' EXIT
sleep 0.5
bash "$(dirname "$0")/../../scripts/wine-run" "$probe" play
sleep 0.3
kill "$recorder"
wait "$recorder" 2>/dev/null || true
bash "$(dirname "$0")/../../scripts/wine-run" "$probe" analyse "$(winepath -w "$recording")"
