#!/usr/bin/env bash
# The Windows sound layer under Wine: the module advances in real time through waveOut on a (null) sound device,
# and in real time, silently, when no sound driver is there at all.
# Usage: sound_wine.sh <sound_check.exe> <wine folder> <output folder>
set -uo pipefail
check=${1:?usage: sound_wine.sh <sound_check.exe> <wine folder> <output folder>}
wine_folder=${2:?}
out=${3:?}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
[ -f "$check" ] || { echo "FAIL: $check is missing: build it with scripts/build-windows.sh" >&2; exit 1; }
. "$here/wine_env.sh" "$wine_folder" || exit $?
unset DISPLAY

"$WINE" "$check" >"$out/device.log" 2>"$out/device.err" &
device=$!
WINEDLLOVERRIDES="winealsa.drv=d;$WINEDLLOVERRIDES" "$WINE" "$check" >"$out/none.log" 2>"$out/none.err" &
none=$!
status=0
wait $device || { echo "FAIL: with a sound device: $(tr -d '\r' <"$out/device.log")" >&2; status=1; }
wait $none || { echo "FAIL: without a sound driver: $(tr -d '\r' <"$out/none.log")" >&2; status=1; }
grep -q 'the music plays silently' "$out/device.err" && { echo "FAIL: waveOut did not open the null device" >&2; status=1; }
grep -q 'no audio device (no sound device); the music plays silently' "$out/none.err" ||
  { echo "FAIL: without a driver the program did not say it plays silently" >&2; status=1; }
[ $status -eq 0 ] && echo "PASS: waveOut: $(tr -d '\r' <"$out/device.log"); no driver: $(tr -d '\r' <"$out/none.log")"
exit $status
