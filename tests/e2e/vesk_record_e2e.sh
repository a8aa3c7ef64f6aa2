#!/usr/bin/env bash
# Plays vesk from its command line under a 16:9 virtual display (1280x720): recorded full-screen and windowed runs
# whose traces must replay with no differing frame, the picture's 4:3 shape between black bars and --stretch
# filling the screen, the command line's answers to --help and to bad values, traces into a FIFO and a device, and
# every way out (random_quits_e2e.sh, five runs).
# Usage: vesk_record_e2e.sh <path to vesk> <path to vesk-capture> [folder for screenshots, traces and logs]
set -uo pipefail

vesk=${1:?usage: vesk_record_e2e.sh <vesk> <vesk-capture> [output folder]}
capture=${2:?usage: vesk_record_e2e.sh <vesk> <vesk-capture> [output folder]}
out=${3:-$(mktemp -d)}
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log "$out"/*.trc

readonly kWindowedTitle="Vesk by Orrent - First place in PC introcompo at Tarnfest'96"
readonly kRecordSeconds=20
# The 4:3 picture on the 1280x720 screen: 960 wide, from column 160.
readonly kBarWidth=160 kPictureWidth=960

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# ---- The command line, no display needed ----
echo "command line"
help=$("$vesk" --help) || fail "--help did not end with status 0"
for option in --run --mode --windowed --nosound --stretch --record-trace; do
  grep -q -- "$option" <<<"$help" || fail "--help does not list $option"
done
"$vesk" --mode 12x >/dev/null 2>"$out/badmode.log"
status=$?
[ "$status" -eq 2 ] || fail "--mode 12x ended with status $status, not 2"
grep -q "expected WxH" "$out/badmode.log" || fail "--mode 12x did not say what a mode looks like"
"$vesk" --record-trace "$out/no/such/folder.trc" --run >/dev/null 2>"$out/badtrace.log"
[ $? -eq 2 ] || fail "an uncreatable --record-trace file did not end with status 2"
rm -rf "$out/folder" "$out/folder.partial"
mkdir "$out/folder"
"$vesk" --record-trace "$out/folder" --run >/dev/null 2>"$out/foldertrace.log"
[ $? -eq 2 ] || fail "--record-trace naming a folder did not end with status 2"
grep -q "it is a folder" "$out/foldertrace.log" || fail "--record-trace naming a folder did not say so"
[ -e "$out/folder.partial" ] && fail "--record-trace naming a folder left folder.partial"
echo "  --help lists every option; --mode 12x: \"$(head -n1 "$out/badmode.log")\", status 2"

for tool in xdotool xwininfo import convert timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
source "$(dirname "$0")/xvfb.sh"
start_show_display 1280x720x24
export VESK_TRACE=1
echo "virtual display $DISPLAY, 1280x720"

start_vesk() {
  local name=$1
  shift
  setsid env --default-signal=INT,QUIT "$vesk" "$@" >"$out/$name.out.log" 2>"$out/$name.err.log" &
  vesk_pid=$!
}

wait_window() {
  local title=$1 seconds=$2 start=$SECONDS id
  while [ $((SECONDS - start)) -lt "$seconds" ]; do
    for id in $(xwininfo -root -tree | grep -F "\"$title\": (" | awk '{print $1}'); do
      if xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.2
  done
  return 1
}

# The brightest level (0..1) of a part of a screenshot: WxH+X+Y.
peak() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:maxima]' info:; }
above() { awk -v v="$1" -v t="$2" 'BEGIN{exit !(v > t)}'; }

# Ends the run with a terminate signal; checks status 0 and that the trace was named.
stop_vesk() {
  local name=$1 status
  kill -TERM "$vesk_pid"
  for _ in $(seq 100); do kill -0 "$vesk_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$vesk_pid" 2>/dev/null && fail "$name: vesk still running 10 s after a terminate signal"
  wait "$vesk_pid"
  status=$?
  vesk_pid=""
  [ "$status" -eq 0 ] || fail "$name: exit status $status (see $out/$name.err.log)"
}

verify() {
  local name=$1
  [ -f "$out/$name.trc" ] || fail "$name: no trace was written"
  "$capture" --verify "$out/$name.trc" >"$out/$name.verify.log" 2>&1
  local status=$?
  [ "$status" -eq 0 ] || { tail -n 20 "$out/$name.verify.log" >&2; fail "$name: the trace does not replay (status $status)"; }
  echo "  trace verified: $(tail -n1 "$out/$name.verify.log")"
}

# Screenshots of window (root for full screen) every half second for the run: the bars must stay black, and the
# picture must at some time light its own first and last columns, so that it is exactly as wide as it should be.
# Sets lit_left and lit_right to 1 once seen; with a sixth argument "until-lit", returns as soon as both are.
watch_shape() {
  local name=$1 window=$2 seconds=$3 left=$4 width=$5 until=${6:-} start=$SECONDS shot i=0
  lit_left=0 lit_right=0
  local right=$((left + width))
  while [ $((SECONDS - start)) -lt "$seconds" ]; do
    shot="$out/$name-$i.png"
    import -window "$window" "$shot" 2>/dev/null || { sleep 0.5; continue; }
    if [ "$left" -gt 0 ]; then
      above "$(peak "$shot" "${left}x720+0+0")" 0 && fail "$name: the left bar is not black ($shot)"
      above "$(peak "$shot" "${left}x720+${right}+0")" 0 && fail "$name: the right bar is not black ($shot)"
    fi
    above "$(peak "$shot" "2x720+${left}+0")" 0.05 && lit_left=1
    above "$(peak "$shot" "2x720+$((right - 2))+0")" 0.05 && lit_right=1
    [ "$lit_left$lit_right" = 11 ] && [ "$until" = until-lit ] && return 0
    # Keep one screenshot in ten.
    [ $((i % 10)) -eq 0 ] || rm -f "$shot"
    i=$((i + 1))
    sleep 0.5
  done
}

# ---- 1. Full screen, recorded: 4:3 between bars, the trace replays ----
echo "run 1: vesk --run --record-trace, full screen on 16:9"
start_vesk fullscreen --run --record-trace "$out/fullscreen.trc"
wait_window "Test" 15 >/dev/null || fail "run 1: no full-screen window without the dialog"
watch_shape fullscreen root $kRecordSeconds $kBarWidth $kPictureWidth
[ "$lit_left$lit_right" = 11 ] || fail "run 1: the picture never reached both edges of its 960x720 place"
echo "  black bars of $kBarWidth columns on both sides; the picture spans columns $kBarWidth to $((kBarWidth + kPictureWidth - 1))"
stop_vesk fullscreen
verify fullscreen

# ---- 2. Windowed, recorded, silent ----
echo "run 2: vesk --run --mode 1280x720 --windowed --nosound --record-trace"
start_vesk windowed --run --mode 1280x720 --windowed --nosound --record-trace "$out/windowed.trc"
window=$(wait_window "$kWindowedTitle" 15) || fail "run 2: no window without the dialog"
watch_shape windowed "$window" $kRecordSeconds $kBarWidth $kPictureWidth
[ "$lit_left$lit_right" = 11 ] || fail "run 2: the picture never reached both edges of its 960x720 place"
echo "  the window keeps the 4:3 shape too"
stop_vesk windowed
verify windowed

# ---- 3. --stretch fills the screen ----
echo "run 3: vesk --run --stretch"
start_vesk stretch --run --stretch --nosound
wait_window "Test" 15 >/dev/null || fail "run 3: no full-screen window"
watch_shape stretch root 30 0 1280 until-lit
[ "$lit_left$lit_right" = 11 ] || fail "run 3: the stretched picture never reached both edges of the screen"
echo "  the picture reaches columns 0 and 1279"
stop_vesk stretch

# The traces (about 75 MB each) are kept only when something failed.
rm -f "$out"/*.trc
# ---- 4. The accelerated renderer, forced, on Mesa's software GL ----
echo "run 4: SDL_RENDER_DRIVER=opengl vesk --run --record-trace"
export SDL_RENDER_DRIVER=opengl
start_vesk opengl --run --nosound --record-trace "$out/opengl.trc"
unset SDL_RENDER_DRIVER
wait_window "Test" 15 >/dev/null || fail "run 4: no full-screen window"
watch_shape opengl root 30 $kBarWidth $kPictureWidth until-lit
[ "$lit_left$lit_right" = 11 ] || fail "run 4: the picture never reached both edges of its 960x720 place"
grep -q "renderer opengl" "$out/opengl.err.log" || fail "run 4: the GL renderer was not used"
echo "  $(grep -o 'renderer opengl.*' "$out/opengl.err.log"); the same bars and picture"
stop_vesk opengl
verify opengl

# ---- 5. Outputs that are not plain files, and SIGQUIT ----
# Ends the run started as $1 with signal $2 once its window is up; sets status.
quit_vesk() {
  local name=$1 signal=$2
  wait_window "Test" 15 >/dev/null || fail "$name: no full-screen window"
  sleep 1
  kill -"$signal" "$vesk_pid"
  for _ in $(seq 100); do kill -0 "$vesk_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$vesk_pid" 2>/dev/null && fail "$name: vesk still running 10 s after SIG$signal"
  wait "$vesk_pid"
  status=$?
  vesk_pid=""
}
echo "run 5: a trace streamed into a FIFO, a device left a device, SIGQUIT leaves nothing"
rm -f "$out/live.trc" "$out/node.trc"
mkfifo "$out/live.trc"
cat "$out/live.trc" >"$out/streamed.trc" &
reader=$!
start_vesk fifo --run --nosound --record-trace "$out/live.trc"
quit_vesk fifo TERM
[ "$status" -eq 0 ] || fail "run 5: recording into a FIFO ended with status $status (see $out/fifo.err.log)"
wait "$reader"
reader=""
[ -p "$out/live.trc" ] || fail "run 5: the FIFO was replaced"
mv "$out/streamed.trc" "$out/fifo.trc"
verify fifo
if mknod "$out/node.trc" c 1 3 2>/dev/null; then
  start_vesk node --run --nosound --record-trace "$out/node.trc"
  quit_vesk node TERM
  [ "$status" -eq 0 ] || fail "run 5: recording into a device ended with status $status"
  [ -c "$out/node.trc" ] || fail "run 5: the device node was replaced by a file"
  echo "  the device node is still a device"
else
  echo "  (no device node: mknod needs root)"
fi
start_vesk quit --run --nosound --record-trace "$out/quit.trc"
quit_vesk quit QUIT
[ "$status" -eq 131 ] || fail "run 5: SIGQUIT ended with status $status, not 131"
ls "$out"/quit*.trc >/dev/null 2>&1 && fail "run 5: SIGQUIT left $(ls "$out"/quit*.trc)"
echo "  SIGQUIT: status 131, no trace"
rm -f "$out"/*.trc

# ---- 6. Each way out at a random moment ----
echo "run 6: five quits, one of each kind, at random moments"
"$(dirname "$0")/random_quits_e2e.sh" "$vesk" "$capture" "$out/quits" 5 || fail "run 6: a quit went wrong"

echo "all runs passed; screenshots and logs in $out"
