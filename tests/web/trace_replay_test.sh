#!/usr/bin/env bash
# The replay finds a captured trace exact, and finds the one frame changed in a copy of it.
#
#   trace_replay_test.sh CAPTURE REPLAY RESOURCES_DIR
set -euo pipefail
capture=$1
replay=$2
resources=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$capture" --to 4 --startup-ms 70 --trace "$work/good.trace"
"$replay" "$work/good.trace" "$resources"
# Record 100's frame, one byte flipped: 32-byte header, 64784-byte records, the frame 784 bytes in.
cp "$work/good.trace" "$work/bad.trace"
offset=$((32 + 100 * 64784 + 784 + 32000))
byte=$(od -An -tu1 -j"$offset" -N1 "$work/bad.trace" | tr -d ' ')
printf "$(printf '\\%03o' $(( (byte + 1) % 256 )))" | dd of="$work/bad.trace" bs=1 seek="$offset" conv=notrunc status=none
if "$replay" "$work/bad.trace" "$resources" >"$work/out" 2>&1; then
  echo "FAIL: a changed frame was not found" >&2
  exit 1
fi
grep -q "frame 100 differs" "$work/out"
grep -q "1 differences" "$work/out"
echo "a changed frame is found"
