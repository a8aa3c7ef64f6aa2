#!/usr/bin/env bash
# Plays vesk on Wayland under weston: nested in a virtual X display, a recorded show ended by Escape whose trace
# replays; scaled by 2, the launch dialog driven by Enter and a show drawn at twice its window's size; and under
# the headless compositor, which offers no seat, a clear refusal (or X when DISPLAY is set) instead of a crash.
# Usage: wayland_e2e.sh <path to vesk> <path to vesk-capture> [folder for traces and logs]
set -uo pipefail

vesk=${1:?usage: wayland_e2e.sh <vesk> <vesk-capture> [output folder]}
capture=${2:?usage: wayland_e2e.sh <vesk> <vesk-capture> [output folder]}
out=${3:-$(mktemp -d)}
mkdir -p "$out"
rm -f "$out"/*.log "$out"/*.trc

readonly kSkip=77
readonly kLaunchTitle='Orrent - Vesk, Windows version (preview)'

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for tool in weston Xvfb xdotool xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit $kSkip
  fi
done

xvfb_pid="" weston_pid="" vesk_pid="" runtime=""
cleanup() {
  if [ -n "$vesk_pid" ]; then kill -KILL "$vesk_pid" 2>/dev/null; fi
  if [ -n "$weston_pid" ]; then kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  if [ -n "$runtime" ]; then rm -rf "$runtime"; fi
}
trap cleanup EXIT
source "$(dirname "$0")/xvfb.sh"
if ! start_xvfb 1280x1024x24; then
  echo "SKIP: Xvfb cannot start here (see $out/xvfb.log)" >&2
  exit $kSkip
fi
xdisplay=":$number"
# Weston's runtime folder and socket are the test's own, so that no desktop's compositor is reached by mistake.
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=vesk-e2e NO_AT_BRIDGE=1 VESK_TRACE=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
unset SDL_VIDEODRIVER SDL_RENDER_DRIVER GDK_BACKEND

# start_weston NAME BACKEND [options]: weston on the X display (for its X11 backend), ready once its socket is
# there and, nested, its window is mapped; sets weston_pid and weston_window (empty when headless).
start_weston() {
  local name=$1 backend=$2
  shift 2
  stop_weston
  DISPLAY=$xdisplay weston --backend="$backend" --socket="$WAYLAND_DISPLAY" --idle-time=0 "$@" \
    >"$out/$name.weston.log" 2>&1 &
  weston_pid=$!
  weston_window=""
  local start=$SECONDS
  while [ $((SECONDS - start)) -lt 10 ]; do
    kill -0 "$weston_pid" 2>/dev/null || fail "$name: weston ended at start (see $out/$name.weston.log)"
    if [ -S "$runtime/$WAYLAND_DISPLAY" ]; then
      [ "$backend" = headless-backend.so ] && return 0
      # Its title is set only as a UTF-8 property, which xdotool's name search does not read.
      weston_window=$(DISPLAY=$xdisplay xdotool search --onlyvisible --class '^Weston Compositor$' 2>/dev/null |
        head -n1)
      # X's focus before any client maps: weston passes its window's focus changes on to its clients' keyboard,
      # and one that came after the show mapped left the show without it (inactive, drawing nothing, deaf to keys).
      [ -n "$weston_window" ] && DISPLAY=$xdisplay xdotool windowfocus --sync "$weston_window" && return 0
    fi
    sleep 0.1
  done
  fail "$name: weston did not start within 10 s (see $out/$name.weston.log)"
}

stop_weston() {
  if [ -n "$weston_pid" ]; then kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; fi
  weston_pid=""
}

# start_vesk NAME [VARIABLE=value...] [vesk's options...]
start_vesk() {
  local name=$1
  shift
  env DISPLAY="$xdisplay" "$@" >"$out/$name.out.log" 2>"$out/$name.err.log" &
  vesk_pid=$!
}
has_trace() { grep -qE "^vesk-trace [0-9.]+ $2\$" "$out/$1.err.log"; }

# wait_trace NAME EVENT SECONDS [KEY [WINDOW]]: waits for a trace line of vesk's; with KEY, presses it every half
# second meanwhile in the X window WINDOW, by default weston's (which passes it to the client with the keyboard).
wait_trace() {
  local name=$1 event=$2 seconds=$3 key=${4:-} window=${5:-$weston_window} start=$SECONDS
  until has_trace "$name" "$event"; do
    kill -0 "$vesk_pid" 2>/dev/null || fail "$name: vesk ended before \"$event\" (see $out/$name.err.log)"
    [ $((SECONDS - start)) -lt "$seconds" ] || fail "$name: no \"$event\" within $seconds s (see $out/$name.err.log)"
    [ -n "$key" ] && DISPLAY=$xdisplay xdotool windowfocus --sync "$window" key "$key" 2>/dev/null
    sleep 0.5
  done
}

# Waits for vesk to end; sets status.
reap_vesk() {
  wait "$vesk_pid"
  status=$?
  vesk_pid=""
}

# Escape in weston's window until vesk ends; it must end within 10 s, with status 0, through its quit path.
escape_vesk() {
  local name=$1 start=$SECONDS
  while kill -0 "$vesk_pid" 2>/dev/null && [ $((SECONDS - start)) -lt 10 ]; do
    DISPLAY=$xdisplay xdotool windowfocus --sync "$weston_window" key Escape 2>/dev/null
    sleep 0.5
  done
  kill -0 "$vesk_pid" 2>/dev/null && fail "$name: vesk still running 10 s after Escape"
  reap_vesk
  [ "$status" -eq 0 ] || fail "$name: exit status $status (see $out/$name.err.log)"
  has_trace "$name" exit || fail "$name: the program did not end through its quit path"
}

# ---- 1. Nested in X, a recorded show on Wayland, ended by Escape; the trace replays ----
echo "run 1: SDL_VIDEODRIVER=wayland vesk --run --record-trace, weston nested in Xvfb"
start_weston recorded x11-backend.so --width=800 --height=600
start_vesk recorded SDL_VIDEODRIVER=wayland "$vesk" --run --nosound --record-trace "$out/recorded.trc"
wait_trace recorded first-picture 20
sleep 3
escape_vesk recorded
renderer=$(grep -o 'renderer [a-z0-9]* [a-z]*' "$out/recorded.err.log")
"$capture" --verify "$out/recorded.trc" >"$out/recorded.verify.log" 2>&1 ||
  { tail -n 20 "$out/recorded.verify.log" >&2; fail "run 1: the trace does not replay"; }
grep -q '^0 of [0-9]* frames differ' "$out/recorded.verify.log" || fail "run 1: $(tail -n1 "$out/recorded.verify.log")"
echo "  $renderer; Escape: status 0; $(tail -n1 "$out/recorded.verify.log")"
rm -f "$out/recorded.trc"

# ---- 2. Scaled by 2: the dialog on Wayland, Enter, a show drawn at twice its window's size ----
echo "run 2: weston --scale=2, the launch dialog with GDK_BACKEND=wayland, Enter"
start_weston scaled x11-backend.so --width=640 --height=480 --scale=2
start_vesk scaled SDL_VIDEODRIVER=wayland GDK_BACKEND=wayland "$vesk" --nosound
# Enter reaches the dialog once it has the keyboard; the show takes any key after that as nothing.
wait_trace scaled run-demo 20 Return
wait_trace scaled first-picture 20
sizes=$(grep -oE 'window [0-9]+x[0-9]+ output [0-9]+x[0-9]+' "$out/scaled.err.log" | tail -n1)
[[ $sizes =~ ^window\ ([0-9]+)x([0-9]+)\ output\ ([0-9]+)x([0-9]+)$ ]] ||
  fail "run 2: no trace of the window's and the output's sizes"
[ "${BASH_REMATCH[3]}" -eq $((2 * BASH_REMATCH[1])) ] && [ "${BASH_REMATCH[4]}" -eq $((2 * BASH_REMATCH[2])) ] ||
  fail "run 2: $sizes, not twice the window's size"
escape_vesk scaled
echo "  $sizes; Escape: status 0"
stop_weston

# ---- 3. The headless compositor, no seat: refused without a crash, or X when there is one ----
echo "run 3: weston's headless backend, which offers no seat"
start_weston seatless headless-backend.so
# SDL's message box on Wayland is zenity's, which would wait there for an answer nobody can give; this one waits
# the same way wherever it is asked.
mkdir -p "$out/bin"
printf '#!/bin/sh\nexec sleep 60\n' >"$out/bin/zenity"
chmod +x "$out/bin/zenity"
export PATH="$out/bin:$PATH"
for driver in "" wayland; do
  name=seatless${driver:+-$driver}
  env -u DISPLAY ${driver:+SDL_VIDEODRIVER=$driver} timeout 15 "$vesk" --run --nosound >"$out/$name.out.log" \
    2>"$out/$name.err.log"
  status=$?
  [ "$status" -eq 0 ] || fail "$name: exit status $status (see $out/$name.err.log)"
  grep -q "the display \"$WAYLAND_DISPLAY\" (WAYLAND_DISPLAY) cannot be opened: .*no seat" "$out/$name.err.log" ||
    fail "$name: no word of the missing seat (see $out/$name.err.log)"
  grep -q 'DirectDrawCreate error' "$out/$name.err.log" || fail "$name: not the message of a display that fails"
done
refusal=$(grep -o 'cannot be opened: .*' "$out/seatless.err.log")
echo "  without DISPLAY, SDL_VIDEODRIVER unset or wayland: status 0, \"$refusal\""
# Wayland named: the refusal, though X is there.
start_vesk seatless-named SDL_VIDEODRIVER=wayland timeout 15 "$vesk" --run --nosound
reap_vesk
[ "$status" -eq 0 ] && grep -q 'cannot be opened: .*no seat' "$out/seatless-named.err.log" ||
  fail "seatless-named: status $status, or no word of the missing seat (see $out/seatless-named.err.log)"
# Left to choose, with DISPLAY set: the dialog and the show on X.
start_vesk seatless-x "$vesk" --nosound
start=$SECONDS dialog=""
while [ -z "$dialog" ] && [ $((SECONDS - start)) -lt 20 ]; do
  sleep 0.2
  dialog=$(DISPLAY=$xdisplay xwininfo -root -tree | grep -F "\"$kLaunchTitle\": (" | awk '{print $1}')
done
[ -n "$dialog" ] || fail "seatless-x: the launch dialog did not appear on X"
wait_trace seatless-x run-demo 10 Return "$dialog"
wait_trace seatless-x first-picture 20
has_trace seatless-x "wayland-without-seat x11" || fail "seatless-x: X was not chosen for the missing seat"
kill -TERM "$vesk_pid"
reap_vesk
[ "$status" -eq 0 ] || fail "seatless-x: exit status $status after a terminate signal"
echo "  with DISPLAY set: wayland named is refused the same way; left to SDL, the dialog and the show go to X"

echo "all runs passed; logs in $out"
