#!/usr/bin/env bash
# The keys beyond Escape in a recorded run under a virtual display: Alt+Enter and the show goes on; Space holds the
# picture and hands no frame to the trace; F12 saves two pictures into the pictures folder of user-dirs.dirs, the
# second equal to the trace's last frame as the replay draws it; Escape while paused ends with status 0; the
# paused run's trace replays with no differing frame and its clock never catches up the time spent paused.
# Usage: vesk_keys_e2e.sh <path to vesk> <path to vesk-capture> [folder for pictures, traces and logs]
set -uo pipefail

vesk=${1:?usage: vesk_keys_e2e.sh <vesk> <vesk-capture> [output folder]}
capture=${2:?usage: vesk_keys_e2e.sh <vesk> <vesk-capture> [output folder]}
out=${3:-$(mktemp -d)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -rf "$out"/*.png "$out"/*.log "$out"/*.trc "$out/home" "$out/config" "$out/dump"

readonly kWindowedTitle="Vesk by Orrent - First place in PC introcompo at Tarnfest'96"
readonly kHeader=32 kRecord=64784 kFrameOffset=784 kPeriod=17920
readonly kPauseSeconds=4

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

help=$("$vesk" --help) || fail "--help did not end with status 0"
for key in Space F12 Alt+Enter F11; do
  grep -q -- "$key" <<<"$help" || fail "--help does not list the $key key"
done

for tool in xdotool xwininfo import compare convert identify od dd; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
source "$(dirname "$0")/xvfb.sh"
start_show_display 1280x720x24

# The pictures folder, named the way xdg-user-dirs writes it.
export HOME=$out/home XDG_CONFIG_HOME=$out/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
echo 'XDG_PICTURES_DIR="$HOME/Shots"' >"$XDG_CONFIG_HOME/user-dirs.dirs"
shots=$HOME/Shots

setsid "$vesk" --run --mode 1280x720 --windowed --nosound --record-trace "$out/keys.trc" \
  >"$out/keys.out.log" 2>"$out/keys.err.log" &
vesk_pid=$!
window=""
for _ in $(seq 150); do
  window=$(xwininfo -root -tree | grep -F "\"$kWindowedTitle\": (" | awk '{print $1}' | head -n1)
  [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Map State: IsViewable' && break
  window=""
  sleep 0.1
done
[ -n "$window" ] || fail "no show window"
alive() { kill -0 "$vesk_pid" 2>/dev/null || fail "vesk ended early (see $out/keys.err.log)"; }
press() { xdotool windowfocus --sync "$window" key "$1" 2>/dev/null; }
recorded() { stat -c %s "$out/keys.partial.trc"; }
# The trace's size once the recorder's thread has written what it was handed: the same over half a second.
settled() {
  local size
  for _ in $(seq 20); do
    size=$(recorded)
    sleep 0.5
    [ "$(recorded)" -eq "$size" ] && break
  done
  recorded
}
# Waits up to 10 s for the error log to hold $1 lines naming a screenshot.
wait_shots() {
  for _ in $(seq 100); do
    [ "$(grep -c 'screenshot saved as' "$out/keys.err.log")" -ge "$1" ] && return 0
    sleep 0.1
  done
  fail "screenshot $1 was not saved (see $out/keys.err.log)"
}
sleep 3

# Alt+Enter: the window may go to full screen (where the device can) and the show goes on.
press alt+Return
sleep 1
alive
before=$(recorded)
sleep 2
[ "$(recorded)" -gt "$before" ] || fail "after Alt+Enter no more frames were recorded"
echo "Alt+Enter: the show went on"

# Space: the picture holds and no frame is handed over; F12 meanwhile saves the held picture.
pause_and_shoot() {
  press space
  local held
  held=$(settled)
  import -window root "$out/paused-$1-a.png" 2>/dev/null || fail "cannot read the screen"
  press F12
  wait_shots "$1"
  sleep $((kPauseSeconds - 1))
  import -window root "$out/paused-$1-b.png" 2>/dev/null || fail "cannot read the screen"
  alive
  [ "$(recorded)" -eq "$held" ] || fail "frames were recorded while paused"
  [ "$(compare -metric AE "$out/paused-$1-a.png" "$out/paused-$1-b.png" null: 2>&1)" = 0 ] ||
    fail "the picture changed while paused"
}
pause_and_shoot 1
press space
sleep 2
alive
before=$(recorded)
sleep 1
[ "$(recorded)" -gt "$before" ] || fail "the show did not go on after the second Space"
echo "Space: the picture held for over $kPauseSeconds s with no frame recorded, then the show went on"

pause_and_shoot 2
press Escape
for _ in $(seq 100); do kill -0 "$vesk_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$vesk_pid" 2>/dev/null && fail "vesk still running 10 s after Escape while paused"
wait "$vesk_pid"
status=$?
vesk_pid=""
[ "$status" -eq 0 ] || fail "Escape while paused ended with status $status"
echo "Escape while paused: status 0"

for n in 0001 0002; do
  [ "$(identify -format '%wx%h' "$shots/vesk-$n.png")" = 320x200 ] || fail "vesk-$n.png is not 320x200"
  [ "$(identify -format '%wx%h' "$shots/vesk-$n-4x3.png")" = 1600x1200 ] || fail "vesk-$n-4x3.png is not 1600x1200"
done
[ "$(ls "$shots" | wc -l)" -eq 4 ] || fail "the pictures folder holds $(ls "$shots")"
grep -q "saved as $shots/vesk-0002.png and $shots/vesk-0002-4x3.png" "$out/keys.err.log" ||
  fail "the second screenshot was not named on standard error"

# The trace replays whole, pauses and all.
"$capture" --verify "$out/keys.trc" >"$out/verify.log" 2>&1 || fail "the paused run's trace does not replay (see $out/verify.log)"
echo "trace verified: $(tail -n1 "$out/verify.log")"

# Its clock never jumps by the time spent paused: the ticks of a pause are dropped, not caught up.
records=$((($(stat -c %s "$out/keys.trc") - kHeader) / kRecord))
clock_at() { od -An -tu4 -j $((kHeader + $1 * kRecord + 4)) -N4 "$out/keys.trc" | tr -d ' '; }
previous=0 widest=0
for ((r = 1; r < records; r++)); do
  now=$(clock_at "$r")
  [ $((now - previous)) -gt "$widest" ] && widest=$((now - previous))
  previous=$now
done
[ "$widest" -lt $((kPauseSeconds * 50 / 2 * kPeriod)) ] ||
  fail "the clock jumped by $((widest / kPeriod)) periods between two frames"
echo "the widest step of the clock between frames: $((widest / kPeriod)) periods of 20 ms"

# The last frame is the one held on screen when F12 was pressed. The verifier draws it out when its record
# differs: a copy with one index changed has it drawn as the show draws it in the replay.
last=$((records - 1))
offset=$((kHeader + last * kRecord + kFrameOffset))
cp "$out/keys.trc" "$out/changed.trc"
byte=$(od -An -tu1 -j "$offset" -N1 "$out/keys.trc" | tr -d ' ')
printf "\\x$(printf %02x $(((byte + 1) % 256)))" | dd of="$out/changed.trc" bs=1 seek="$offset" conv=notrunc status=none
"$capture" --verify "$out/changed.trc" --dump "$out/dump" --max-report 1 >"$out/dump.log" 2>&1
[ $? -eq 1 ] || fail "the changed trace did not report its one differing frame (see $out/dump.log)"
expected=$out/dump/$(printf 'frame_%06d_expected.png' "$last")
[ -f "$expected" ] || fail "the verifier wrote no $expected"
[ "$(compare -metric AE "$expected" "$shots/vesk-0002.png" null: 2>&1)" = 0 ] ||
  fail "the screenshot differs from the trace's frame $last as the replay draws it"
convert "$expected" -sample 1600x1200! "$out/expected-4x3.png"
[ "$(compare -metric AE "$out/expected-4x3.png" "$shots/vesk-0002-4x3.png" null: 2>&1)" = 0 ] ||
  fail "the 4:3 screenshot is not the trace's frame $last in blocks of 5x6"
rm -f "$out"/*.trc
echo "F12: vesk-0002.png is the trace's frame $last pixel for pixel, vesk-0002-4x3.png the same in 5x6 blocks"
echo "all passed; pictures and logs in $out"
