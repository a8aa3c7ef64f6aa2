#!/usr/bin/env bash
# Plays vesk under Xvfb as a person would: the dialog, the full-screen show ended by Escape, a windowed silent show
# ended by a terminate signal, "Exit" after a look at the About box, a terminate signal in the dialog and in the
# About box, and the show window and the dialog destroyed by another program; checks windows, pixels and exit
# statuses.
# Usage: vesk_e2e.sh <path to vesk> [folder for screenshots and logs]
set -uo pipefail

vesk=${1:?usage: vesk_e2e.sh <path to vesk> [output folder]}
out=${2:-$(mktemp -d)}
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log

readonly kSkip=77
readonly kLaunchTitle='Orrent - Vesk, Windows version (preview)'
readonly kWindowedTitle="Vesk by Orrent - First place in PC introcompo at Tarnfest'96"
# The launch dialog's size in dialog units; its pixel size gives the units of the font it measured.
readonly kDialogUnitsWide=393 kDialogUnitsHigh=116

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for tool in xdotool xwininfo xprop import convert timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
if ! command -v Xvfb >/dev/null; then
  echo "SKIP: Xvfb is not installed" >&2
  exit $kSkip
fi

# A display of our own; Xvfb picks a free number and tells it through a file descriptor.
xvfb_pid=""
vesk_pid=""
cleanup() {
  if [ -n "$vesk_pid" ] && kill -0 "$vesk_pid" 2>/dev/null; then kill -KILL "$vesk_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT
source "$(dirname "$0")/xvfb.sh"
if ! start_xvfb 1024x768x24; then
  echo "SKIP: Xvfb cannot start here (see $out/xvfb.log)" >&2
  exit $kSkip
fi
export DISPLAY=":$number"
export NO_AT_BRIDGE=1 GDK_BACKEND=x11 VESK_TRACE=1
# GTK keeps caches for the life of the process; the sanitizer build should not call them leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
unset SDL_VIDEODRIVER SDL_RENDER_DRIVER
echo "virtual display $DISPLAY"

# Starts vesk in a session of its own, so that anything it leaves running can be found afterwards.
# start_vesk <name> [VARIABLE=value...] [vesk's options...]
start_vesk() {
  local name=$1 settings=()
  shift
  while [ $# -gt 0 ] && [[ $1 == *=* ]] && [[ $1 != -* ]]; do
    settings+=("$1")
    shift
  done
  env "${settings[@]}" setsid "$vesk" "$@" >"$out/$name.out.log" 2>"$out/$name.err.log" &
  vesk_pid=$!
}

# Waits up to $2 seconds for a mapped window titled exactly $1; prints its id. The tree is read rather than
# searched by name, since a title SDL stores in the locale's encoding escapes xdotool's name search.
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

window_exists() { xwininfo -root -tree | grep -qF "\"$1\": ("; }

# Clicks a control of the launch dialog at dialog units (x, y) inside it.
click_units() {
  local window=$1 x=$2 y=$3 WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$window" \
    "$(awk -v u="$x" -v w="$WIDTH" -v n=$kDialogUnitsWide 'BEGIN{printf "%d", u*w/n+0.5}')" \
    "$(awk -v u="$y" -v h="$HEIGHT" -v n=$kDialogUnitsHigh 'BEGIN{printf "%d", u*h/n+0.5}')" click 1
}

# The mean brightness (0..1) of a screenshot, or of a window's part of it.
brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

# Waits for the show to put a non-black frame on the screen: a screenshot whose mean brightness passes 1%.
wait_picture() {
  local shot=$1 seconds=$2 start=$SECONDS level
  while [ $((SECONDS - start)) -lt "$seconds" ]; do
    import -window root "$shot" 2>/dev/null
    level=$(brightness "$shot")
    if awk -v b="$level" 'BEGIN{exit !(b > 0.01)}'; then
      echo "  non-black frame after $((SECONDS - start)) s (mean brightness $level): $shot"
      return 0
    fi
    sleep 0.5
  done
  return 1
}

# Waits up to $1 seconds for vesk to end; checks status 0 and that nothing of its session is left running.
expect_exit() {
  local seconds=$1 name=$2 status
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$vesk_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$vesk_pid" 2>/dev/null && fail "$name: vesk still running ${seconds} s after it was asked to end"
  wait "$vesk_pid"
  status=$?
  [ "$status" -eq 0 ] || fail "$name: exit status $status (see $out/$name.err.log)"
  sleep 0.2
  if pgrep -s "$vesk_pid" >/dev/null; then fail "$name: processes of its session are still running"; fi
  vesk_pid=""
  echo "  ended with status 0, nothing left running"
}

has_trace() { grep -q "^vesk-trace [0-9.]* $2\$" "$out/$1.err.log"; }

# ---- 1. Full screen: the dialog, Enter, the opening scene, Escape ----
echo "run 1: full screen"
start_vesk fullscreen
dialog=$(wait_window "$kLaunchTitle" 20) || fail "run 1: the launch dialog did not appear"
sleep 0.5
import -window root "$out/dialog.png"
geometry=$(xwininfo -id "$dialog")
width=$(awk '/Width:/{print $2}' <<<"$geometry")
height=$(awk '/Height:/{print $2}' <<<"$geometry")
[ "$width" -ge 500 ] && [ "$height" -ge 150 ] || fail "run 1: the dialog is ${width}x${height}"
echo "  dialog ${width}x${height}: $out/dialog.png"
xdotool windowfocus --sync "$dialog" key Return
show=$(wait_window "Test" 15) || fail "run 1: no full-screen window after Enter"
geometry=$(xwininfo -id "$show")
grep -q 'Width: 1024' <<<"$geometry" && grep -q 'Height: 768' <<<"$geometry" ||
  fail "run 1: the full-screen window is not 1024x768"
grep -q 'Absolute upper-left X: *0$' <<<"$geometry" && grep -q 'Absolute upper-left Y: *0$' <<<"$geometry" ||
  fail "run 1: the full-screen window does not cover the screen"
# Borderless: the Motif hints ask for no decorations at all.
xprop -id "$show" _MOTIF_WM_HINTS | grep -q '= 0x2, 0x0, 0x0,' || fail "run 1: the full-screen window has a frame"
echo "  borderless window \"Test\" covering the 1024x768 screen"
wait_picture "$out/fullscreen.png" 30 || fail "run 1: only black frames for 30 s"
has_trace fullscreen first-picture || fail "run 1: the program never packed a non-black picture"
xdotool windowfocus --sync "$show" key Escape
expect_exit 10 fullscreen
has_trace fullscreen exit || fail "run 1: the program did not end through its quit path"

# ---- 2. Windowed and silent: title, client size, the close request ----
echo "run 2: windowed, nosound"
start_vesk windowed
dialog=$(wait_window "$kLaunchTitle" 20) || fail "run 2: the launch dialog did not appear"
sleep 0.5
click_units "$dialog" 166 29   # "Windowed"
click_units "$dialog" 81 70    # "Nosound"
sleep 0.3
import -window root "$out/dialog-ticked.png"
# The focus is on a check box now, so Enter is still "Run Demo".
xdotool windowfocus --sync "$dialog" key Return
show=$(wait_window "$kWindowedTitle" 15) || fail "run 2: no window titled \"$kWindowedTitle\""
geometry=$(xwininfo -id "$show")
grep -q 'Width: 1024' <<<"$geometry" && grep -q 'Height: 768' <<<"$geometry" ||
  fail "run 2: the window's client area is not 1024x768"
if xprop -id "$show" _MOTIF_WM_HINTS | grep -q '= 0x2, 0x0, 0x0,'; then fail "run 2: the window has no frame"; fi
hints=$(xprop -id "$show" WM_NORMAL_HINTS)
grep -q 'minimum size: 1024 by 768' <<<"$hints" && grep -q 'maximum size: 1024 by 768' <<<"$hints" ||
  fail "run 2: the window can be resized"
echo "  window \"$kWindowedTitle\", client 1024x768, not resizable"
wait_picture "$out/windowed.png" 30 || fail "run 2: only black frames for 30 s"
has_trace windowed "master-volume 0" || fail "run 2: \"Nosound\" did not silence the music"
# A terminate signal reaches the program as a request to close its window.
kill -TERM "$vesk_pid"
expect_exit 10 windowed

# ---- 3. The About box, then "Exit" ----
echo "run 3: About, Exit"
start_vesk exit
dialog=$(wait_window "$kLaunchTitle" 20) || fail "run 3: the launch dialog did not appear"
sleep 0.5
click_units "$dialog" 37 98    # "About"
about=$(wait_window "About" 10) || fail "run 3: the About box did not open"
xdotool windowfocus --sync "$about" key Escape
sleep 0.5
wait_window "About" 1 >/dev/null || fail "run 3: Escape closed the About box"
import -window root "$out/about.png"
xdotool windowfocus --sync "$about" key Return
sleep 0.5
if wait_window "About" 1 >/dev/null; then fail "run 3: Enter did not close the About box"; fi
click_units "$dialog" 111 98   # "Exit"
expect_exit 10 exit
if has_trace exit window-shown; then fail "run 3: a show window was opened after \"Exit\""; fi
if window_exists "Test" || window_exists "$kWindowedTitle"; then fail "run 3: a show window exists"; fi

# ---- 4. A terminate signal while the dialog is up is "Exit" ----
echo "run 4: terminate signal in the dialog"
start_vesk signal
wait_window "$kLaunchTitle" 20 >/dev/null || fail "run 4: the launch dialog did not appear"
kill -TERM "$vesk_pid"
expect_exit 10 signal
if has_trace signal window-shown; then fail "run 4: a show window was opened after the signal"; fi

# ---- 5. The show window destroyed by another program is the quit request ----
echo "run 5: the show window destroyed by another program"
start_vesk destroyed --run --nosound
show=$(wait_window "Test" 15) || fail "run 5: no full-screen window"
sleep 1
xdotool windowclose "$show"
expect_exit 10 destroyed
has_trace destroyed exit || fail "run 5: the program did not end through its quit path"

# ---- 6. The dialog destroyed by another program is "Exit" ----
echo "run 6: the launch dialog destroyed by another program"
start_vesk dialog-destroyed
dialog=$(wait_window "$kLaunchTitle" 20) || fail "run 6: the launch dialog did not appear"
sleep 0.5
xdotool windowclose "$dialog"
expect_exit 10 dialog-destroyed
if has_trace dialog-destroyed window-shown; then fail "run 6: a show window was opened"; fi

# ---- 7. A terminate signal while the About box is open is "Exit" ----
echo "run 7: terminate signal with the About box open"
start_vesk about-signal
dialog=$(wait_window "$kLaunchTitle" 20) || fail "run 7: the launch dialog did not appear"
sleep 0.5
click_units "$dialog" 37 98    # "About"
wait_window "About" 10 >/dev/null || fail "run 7: the About box did not open"
kill -TERM "$vesk_pid"
expect_exit 10 about-signal
if has_trace about-signal window-shown; then fail "run 7: a show window was opened after the signal"; fi

echo "all runs passed; screenshots in $out"
