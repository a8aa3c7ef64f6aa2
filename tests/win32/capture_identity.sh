#!/usr/bin/env bash
# vesk-capture.exe under Wine must capture what the Linux vesk-capture does: the whole show's frame trace byte for
# byte, at 60 vertical blanks per second (to a file), and at 70 with 500 ms of start-up (to standard output); and
# a span's PNG frames (the same pixels) and sound (the same bytes).
# Usage: capture_identity.sh <linux vesk-capture> <vesk-capture.exe> <wine folder> <work folder>
set -uo pipefail
linux=${1:?usage: capture_identity.sh <linux vesk-capture> <vesk-capture.exe> <wine folder> <work folder>}
windows=${2:?}
wine_folder=${3:?}
work=${4:?}
mkdir -p "$work"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh" "$wine_folder" || exit $?
if [ ! -f "$windows" ]; then
  echo "FAIL: $windows is missing: build it with scripts/build-windows.sh" >&2
  exit 1
fi

status=0
for clock in "60 0" "70 500"; do
  set -- $clock
  fps=$1 startup=$2
  name="fps$fps-startup$startup"
  start=$(date +%s%N)
  "$linux" --fps "$fps" --startup-ms "$startup" --trace "$work/linux-$name.trace" || { echo "FAIL: Linux capture" >&2; exit 1; }
  middle=$(date +%s%N)
  if [ "$fps" = 60 ]; then
    "$WINE" "$windows" --fps "$fps" --startup-ms "$startup" --trace "$work/windows-$name.trace" 2>"$work/windows-$name.log"
  else
    "$WINE" "$windows" --fps "$fps" --startup-ms "$startup" --trace - >"$work/windows-$name.trace" 2>"$work/windows-$name.log"
  fi || { cat "$work/windows-$name.log" >&2; echo "FAIL: Windows capture" >&2; exit 1; }
  end=$(date +%s%N)
  echo "$name: Linux $(( (middle - start) / 1000000 )) ms, Windows under Wine $(( (end - middle) / 1000000 )) ms," \
    "$(stat -c %s "$work/linux-$name.trace") bytes"
  if cmp "$work/linux-$name.trace" "$work/windows-$name.trace"; then
    echo "PASS: $name traces are identical"
    rm -f "$work/linux-$name.trace" "$work/windows-$name.trace"
  else
    echo "FAIL: $name traces differ (kept in $work)" >&2
    status=1
  fi
done
# A span as PNG frames and WAV sound, captured twice on Windows: the second run replaces the first's files.
rm -rf "$work/frames-linux" "$work/frames-windows"
span=(--from 20 --to 20.5 --size 640x400)
"$linux" "${span[@]}" --frames "$work/frames-linux" --audio "$work/linux.wav" || { echo "FAIL: Linux capture" >&2; exit 1; }
for run in 1 2; do
  "$WINE" "$windows" "${span[@]}" --frames "$work/frames-windows" --audio "$work/windows.wav" \
    2>"$work/windows-span.log" || { cat "$work/windows-span.log" >&2; echo "FAIL: Windows capture, run $run" >&2; exit 1; }
done
cmp "$work/linux.wav" "$work/windows.wav" || { echo "FAIL: the sound differs" >&2; status=1; }
frames=0
for png in "$work/frames-linux"/*.png; do
  other="$work/frames-windows/$(basename "$png")"
  [ -f "$other" ] || { echo "FAIL: no $(basename "$png") from Windows" >&2; status=1; continue; }
  differing=$(compare -metric AE "$png" "$other" null: 2>&1)
  [ "$differing" = 0 ] || { echo "FAIL: $(basename "$png") differs in $differing pixels" >&2; status=1; }
  frames=$((frames + 1))
done
[ "$frames" -gt 0 ] && [ "$(ls "$work/frames-windows" | wc -l)" -eq "$frames" ] ||
  { echo "FAIL: $frames frames from Linux, $(ls "$work/frames-windows" | wc -l) from Windows" >&2; status=1; }
[ $status -eq 0 ] && echo "PASS: $frames frames and the sound of a span are the same"
exit $status
