#!/usr/bin/env bash
# The whole show's frame trace from vesk-capture.exe under Wine must be byte-identical to the Linux vesk-capture's,
# at 60 vertical blanks per second, and at 70 with 500 ms of start-up.
# Usage: trace_identity.sh <linux vesk-capture> <vesk-capture.exe> <wine folder> <work folder>
set -uo pipefail
linux=${1:?usage: trace_identity.sh <linux vesk-capture> <vesk-capture.exe> <wine folder> <work folder>}
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
  "$WINE" "$windows" --fps "$fps" --startup-ms "$startup" --trace "$work/windows-$name.trace" \
    2>"$work/windows-$name.log" || { cat "$work/windows-$name.log" >&2; echo "FAIL: Windows capture" >&2; exit 1; }
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
exit $status
