#!/usr/bin/env bash
# Records what korvelSoundProbe plays through the session's null sound output
# and has the probe check the recording. Run inside scripts/wine-session.
# A recording whose only fault is a break inside a tone (the probe's exit 3,
# as a stalled sound server makes) is taken up to twice more; each retry is
# printed, and their count at the end, so a trend shows.
# Usage: recordTune.sh PROBE_EXE WORK_DIR
set -euo pipefail
probe=$1
work=$2
mkdir -p "$work"
recording=$work/tune.u8

record_and_check() {
  parec -d null.monitor --raw --format=u8 --rate=22050 --channels=1 "$recording" &
  recorder=$!
  trap 'kill "$recorder" 2>/dev/null || true' EXIT
  sleep 0.5
  bash "$(dirname "$0")/../../scripts/wine-run" "$probe" play || return 1 # STOP did not stop
  sleep 0.3
  kill "$recorder"
  wait "$recorder" 2>/dev/null || true
  bash "$(dirname "$0")/../../scripts/wine-run" "$probe" analyse "$(winepath -w "$recording")"
}

retries=0
status=0
while true; do
  record_and_check && status=0 || status=$?
  [ "$status" -eq 3 ] && [ "$retries" -lt 2 ] || break
  retries=$((retries + 1))
  echo "retry $retries: a break inside a tone, as a stalled sound server makes; recording again"
done
echo "recordings taken again after a break: $retries"
exit "$status"
