#!/usr/bin/env bash
# vesk.exe under Wine and Xvfb, used as a person would: the command line's statuses and messages (in a box when
# there is no standard error), the launch dialog with its texts and modes, Enter and the full-screen show ended by
# Escape, a windowed silent show ended by its close box, the About box and "Exit", the message box of a display
# that cannot be used, a real mode switch inside a Wine virtual desktop, and a show started by --run there whose
# recorded trace verifies.
# Usage: wine_e2e.sh <vesk.exe> <window_probe.exe> <wine folder> <output folder> [vesk-capture]
# Without vesk-capture (the Linux program), the recorded trace is not verified.
set -uo pipefail
vesk=${1:?usage: wine_e2e.sh <vesk.exe> <window_probe.exe> <wine folder> <output folder> [vesk-capture]}
probe_exe=${2:?}
wine_folder=${3:?}
out=${4:?}
capture=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log "$out"/*.txt "$out"/*.trc

readonly kSkip=77
readonly kLaunchTitle='Orrent - Vesk, Windows version (preview)'
readonly kWindowedTitle="Vesk by Orrent - First place in PC introcompo at Tarnfest'96"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for file in "$vesk" "$probe_exe"; do
  [ -f "$file" ] || fail "$file is missing: build it with scripts/build-windows.sh"
done
for tool in xwininfo xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
if ! command -v Xvfb >/dev/null; then
  echo "SKIP: Xvfb is not installed" >&2
  exit $kSkip
fi
. "$here/wine_env.sh" "$wine_folder" || exit $?

t0=$(date +%s)
lap() { echo "  ($(( $(date +%s) - t0 )) s) $*"; }

xvfb_pid=""
vesk_pid=""
# vesk.exe and the probe join the virtual desktop only for the runs inside it, by their programs' names, so that
# Wine passes vesk.exe's own status on (explorer /desktop=... ends with its own); the shared prefix must not keep
# that setting.
readonly kDesktopKeys=('HKCU\Software\Wine\AppDefaults\window_probe.exe' 'HKCU\Software\Wine\AppDefaults\vesk.exe')
leave_desktop() {
  local key
  for key in "${kDesktopKeys[@]}"; do "$WINE" reg delete "$key" /f >/dev/null 2>&1; done
}
cleanup() {
  if [ -n "$vesk_pid" ] && kill -0 "$vesk_pid" 2>/dev/null; then kill -KILL "$vesk_pid" 2>/dev/null; fi
  [ -n "$xvfb_pid" ] && leave_desktop
  # Wine's processes belong to this display: end them before it goes.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT
source "$(dirname "$0")/../e2e/xvfb.sh"
start_xvfb 1024x768x24 || { echo "SKIP: Xvfb cannot start here (see $out/xvfb.log)" >&2; exit $kSkip; }
export DISPLAY=":$number"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
echo "virtual display $DISPLAY"

# The probe's status, and its output without the line ends' carriage returns.
probe() {
  local status
  "$WINE" "$probe_exe" "$@" 2>>"$out/probe.log" >"$out/probe.out"
  status=$?
  tr -d '\r' <"$out/probe.out"
  return $status
}

# Starts vesk.exe (or the given Wine command line) with extra environment settings before the program.
start_vesk() {
  local name=$1
  shift
  env "$@" >"$out/$name.out.log" 2>"$out/$name.err.log" &
  vesk_pid=$!
}

# Waits for the program started last to end with the given status (default 0).
expect_exit() {
  local seconds=$1 name=$2 want=${3:-0} status
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$vesk_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$vesk_pid" 2>/dev/null && fail "$name: vesk.exe still running ${seconds} s after it was asked to end"
  wait "$vesk_pid"
  status=$?
  vesk_pid=""
  [ "$status" -eq "$want" ] || fail "$name: exit status $status, not $want (see $out/$name.err.log)"
  lap "$name: ended with status $status"
}

# The X window of a Wine window, by its exact title.
x_window() {
  local title=$1 id
  for id in $(xwininfo -root -tree | grep -F "\"$title\": (" | awk '{print $1}'); do
    if xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# Keys go to the X window of the Wine window with that title.
press() {
  local title=$1 key=$2 id
  id=$(x_window "$title") || fail "no X window for \"$title\""
  xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
  sleep 0.2
  xdotool key "$key"
}

# A real mouse click in the middle of control id of the window with that title.
click() {
  local title=$1 id=$2 position
  position=$(probe where "$title" "$id") || fail "no control $id in \"$title\""
  xdotool mousemove $position click 1
  sleep 0.3
}

brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

# Waits for a non-black picture: mean brightness over 1% on the screen, or in the given part of it (WxH+X+Y).
wait_picture() {
  local shot=$1 seconds=$2 area=${3:-} start=$SECONDS level
  while [ $((SECONDS - start)) -lt "$seconds" ]; do
    import -window root "$shot" 2>/dev/null
    if [ -n "$area" ]; then convert "$shot" -crop "$area" +repage "$shot"; fi
    level=$(brightness "$shot")
    if awk -v b="$level" 'BEGIN{exit !(b > 0.01)}'; then
      lap "non-black frame after $((SECONDS - start)) s (mean brightness $level): $shot"
      return 0
    fi
    sleep 0.5
  done
  return 1
}

# Checks the controls' places in dialog units: the dialog's client area is known in dialog units, so its pixel
# size gives the scale. Each line of the table: id x y width height (height "-" for a closed drop-down list).
check_layout() {
  local dump=$1 name=$2 table=$3 client
  client=$(sed -n 's/^window .* client=\([0-9]*x[0-9]*\) .*/\1/p' "$dump")
  awk -v client="$client" -v name="$name" -v table="$table" '
    BEGIN {
      split(table, layout, " ")
      unitsWide = layout[1]; unitsHigh = layout[2]
      split(client, c, "x")
      for (i = 3; i + 4 <= length(layout); i += 5) { want[layout[i]] = layout[i+1] " " layout[i+2] " " layout[i+3] " " layout[i+4] }
    }
    /^control / {
      id = $2; sub("id=", "", id)
      if (!(id in want)) next
      match($0, /rect=[-0-9,]+/); split(substr($0, RSTART + 5, RLENGTH - 5), r, ",")
      split(want[id], w, " ")
      got[1] = r[1] * unitsWide / c[1]; got[2] = r[2] * unitsHigh / c[2]
      got[3] = (r[3] - r[1]) * unitsWide / c[1]; got[4] = (r[4] - r[2]) * unitsHigh / c[2]
      for (k = 1; k <= 4; ++k) {
        if (w[k] != "-" && (got[k] < w[k] - 1 || got[k] > w[k] + 1)) {
          printf "%s: control %d is at %.0f,%.0f size %.0fx%.0f in dialog units, not %s\n", name, id, got[1], got[2], got[3], got[4], want[id]
          bad = 1
        }
      }
      seen[id] = 1
    }
    END {
      for (id in want) if (!(id in seen)) { printf "%s: no control %d\n", name, id; bad = 1 }
      exit bad
    }' "$dump" || fail "$name: controls out of place"
}

# The window line of a dump: its style and extended style as numbers, and its client size.
window_style() { printf '%d' "$(sed -n 's/^window .* style=\(0x[0-9a-f]*\) .*/\1/p' "$1")"; }
window_exstyle() { printf '%d' "$(sed -n 's/^window .* exstyle=\(0x[0-9a-f]*\) .*/\1/p' "$1")"; }
readonly kPopup=$((0x80000000)) kSysMenu=$((0x80000)) kMinimizeBox=$((0x20000)) kSizeBorder=$((0x40000))
readonly kMaximizeBox=$((0x10000)) kCaption=$((0xC00000)) kModalFrame=$((0x1))

expect_line() {
  grep -qF -- "$2" "$1" || fail "$(basename "$1") lacks: $2"
}

# ---- 0. The command line: answers without the dialog, the statuses vesk has on Linux ----
echo "run 0: the command line"
# Runs vesk.exe with the arguments and checks its status; its output and errors go to $out/<name>.out|err.log.
run_line() {
  local name=$1 want=$2 status
  shift 2
  timeout 30 "$WINE" "$vesk" "$@" >"$out/$name.out.log" 2>"$out/$name.err.log"
  status=$?
  [ "$status" -eq "$want" ] || fail "vesk.exe $*: status $status, not $want (see $out/$name.err.log)"
}
run_line bad-mode 2 --mode 12x
expect_line "$out/bad-mode.err.log" "--mode"
expect_line "$out/bad-mode.err.log" "'12x'"
run_line bogus 2 --bogus
expect_line "$out/bogus.err.log" "--bogus"
run_line help 0 --help
for text in 'Usage: vesk [OPTIONS]' --help --version --run '--mode WxH[xD]' --windowed --nosound --stretch \
  '--record-trace FILE' 'Exit status: 0'; do
  expect_line "$out/help.out.log" "$text"
done
grep -q 'Usage:' "$out/help.err.log" && fail "run 0: the help went to standard error"
lap "--mode 12x and --bogus: status 2, why on standard error; --help: status 0, the usage on standard output"
# Started as a desktop shortcut starts it, with no standard handles: the message comes in a box.
start_vesk boxed "$WINE" "$probe_exe" bare "$("$WINE" winepath -w "$vesk" 2>/dev/null | tr -d '\r')" --mode 12x
probe wait vesk 30 >/dev/null || fail "run 0: no box \"vesk\" without standard error"
probe dump vesk >"$out/bad-mode-box.txt"
expect_line "$out/bad-mode-box.txt" "text=\"vesk: --mode: "
expect_line "$out/bad-mode-box.txt" "'12x'"
click vesk 1
expect_exit 15 boxed 2

# ---- 1. The dialog, Enter, the full-screen show, Escape ----
echo "run 1: the dialog, full screen, Escape"
start_vesk fullscreen "$WINE" "$vesk"
probe wait "$kLaunchTitle" 60 >/dev/null || fail "run 1: the launch dialog did not appear"
lap "dialog up"
probe dump "$kLaunchTitle" >"$out/dialog.txt"
for text in 'text="Screentype"' 'id=1 class=Button' 'text="Run Demo"' 'id=2 class=Button' 'text="Exit"' \
  'text="Resolution:"' 'id=1001 class=Button' 'text="About"' 'id=1000 class=Button' 'text="Windowed"' \
  'id=1002 class=Button' 'enabled=0' 'text="Loop"' 'id=1003 class=Button' 'text="Nosound"' 'list id=104'; do
  expect_line "$out/dialog.txt" "$text"
done
grep -q '^list id=104 count=[1-9][0-9]* selected=0$' "$out/dialog.txt" || fail "run 1: the mode list is empty"
if grep '^item ' "$out/dialog.txt" | grep -vqE '^item [0-9]+ "[0-9]+x[0-9]+x(16|24|32)"$'; then
  fail "run 1: a mode list line is not WxHxD"
fi
check_layout "$out/dialog.txt" "launch dialog" \
  "393 116  104 51 22 101 -  1 151 57 68 50  2 75 89 73 18  1001 4 89 67 18  1000 162 23 51 12  1002 5 65 32 10  1003 77 65 45 10"
first_mode=$(sed -n 's/^item 0 "\(.*\)"$/\1/p' "$out/dialog.txt")
lap "dialog texts, layout and $(grep -c '^item ' "$out/dialog.txt") modes (first $first_mode): $out/dialog.txt"
import -window root "$out/dialog.png"
press "$kLaunchTitle" Return
probe wait "Test" 20 >/dev/null || fail "run 1: no window \"Test\" after Enter"
probe dump "Test" >"$out/fullscreen.txt"
style=$(window_style "$out/fullscreen.txt")
# DirectDraw's exclusive mode may add a system menu to its window, but no caption and no sizing border.
(( style & kPopup )) && ! (( style & (kCaption | kSizeBorder) )) || fail "run 1: \"Test\" is no bare pop-up: $(head -n1 "$out/fullscreen.txt")"
grep -q "client=${first_mode%x*} title=" "$out/fullscreen.txt" || fail "run 1: \"Test\" does not cover the ${first_mode%x*} screen"
lap "show window \"Test\": a pop-up covering the ${first_mode%x*} screen"
wait_picture "$out/fullscreen.png" 30 || fail "run 1: only black frames for 30 s"
press "Test" Escape
expect_exit 15 fullscreen

# ---- 2. The About box, then "Exit" ----
echo "run 2: About, Exit"
start_vesk exit "$WINE" "$vesk"
probe wait "$kLaunchTitle" 60 >/dev/null || fail "run 2: the launch dialog did not appear"
click "$kLaunchTitle" 1001
probe wait "About" 10 >/dev/null || fail "run 2: the About box did not open"
probe dump "About" >"$out/about.txt"
for text in 'text="Ok"' 'text="Orrent - Vesk"' 'text="by Tallow, Brackmoor, Quib"' \
  "text=\"First place at Tarnfest'98 PC introcompo\"" 'text="Windows version by Olk/Fennec"'; do
  expect_line "$out/about.txt" "$text"
done
check_layout "$out/about.txt" "About box" "170 100  1 60 77 50 18"
import -window root "$out/about.png"
press "About" Escape
sleep 0.5
probe wait "About" 1 >/dev/null || fail "run 2: Escape closed the About box"
click "About" 1
probe gone "About" 5 || fail "run 2: \"Ok\" did not close the About box"
lap "About box: texts, Escape ignored, Ok closes"
click "$kLaunchTitle" 2
expect_exit 15 exit

# ---- 3. No DirectDraw: the message box, then the end ----
echo "run 3: DirectDraw missing"
start_vesk noddraw WINEDLLOVERRIDES="ddraw=d;mscoree,mshtml=" "$WINE" "$vesk"
probe wait "DDRAW ERROR" 60 >/dev/null || fail "run 3: no \"DDRAW ERROR\" box"
probe dump "DDRAW ERROR" >"$out/ddraw-error.txt"
expect_line "$out/ddraw-error.txt" 'text="DirectDrawCreate error"'
import -window root "$out/ddraw-error.png"
press "DDRAW ERROR" Return
expect_exit 15 noddraw

# ---- Inside a Wine virtual desktop, which offers many modes and really switches between them ----
readonly kDesktop=1024x768 kSwitchMode=640x480x32
for key in "${kDesktopKeys[@]}"; do
  "$WINE" reg add "$key\\Explorer" /v Desktop /d vesk /f >/dev/null 2>&1 || fail "cannot put $key in the virtual desktop"
done
"$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v vesk /d $kDesktop /f >/dev/null 2>&1 ||
  fail "cannot size the virtual desktop"

# ---- 4. Full screen at 640x480: the mode switch, the show, Escape, the desktop's mode back ----
echo "run 4: full screen $kSwitchMode in a $kDesktop virtual desktop"
start_vesk switch "$WINE" "$vesk"
probe wait "$kLaunchTitle" 60 >/dev/null || fail "run 4: the launch dialog did not appear"
probe dump "$kLaunchTitle" >"$out/desktop-dialog.txt"
modes=$(grep -c '^item ' "$out/desktop-dialog.txt")
[ "$modes" -ge 4 ] || fail "run 4: only $modes modes in the virtual desktop"
probe select "$kLaunchTitle" 104 $kSwitchMode || fail "run 4: no $kSwitchMode in the list"
lap "$modes modes offered; $kSwitchMode chosen"
click "$kLaunchTitle" 1
probe wait "Test" 20 >/dev/null || fail "run 4: no window \"Test\""
sleep 1
mode=$(probe mode)
[ "$mode" = "$kSwitchMode" ] || fail "run 4: the display is in $mode, not $kSwitchMode"
lap "display switched to $mode"
wait_picture "$out/switched.png" 30 || fail "run 4: only black frames for 30 s"
xdotool key Escape
expect_exit 15 switch

# ---- 5. Windowed and silent at 640x480: the title, the client size, the close box ----
echo "run 5: windowed, nosound, closed"
start_vesk windowed "$WINE" "$vesk"
probe wait "$kLaunchTitle" 60 >/dev/null || fail "run 5: the launch dialog did not appear"
probe select "$kLaunchTitle" 104 $kSwitchMode || fail "run 5: no $kSwitchMode in the list"
click "$kLaunchTitle" 1000
click "$kLaunchTitle" 1003
probe dump "$kLaunchTitle" >"$out/dialog-ticked.txt"
grep -q 'id=1000 .*checked=1' "$out/dialog-ticked.txt" && grep -q 'id=1003 .*checked=1' "$out/dialog-ticked.txt" ||
  fail "run 5: the clicks did not tick Windowed and Nosound"
click "$kLaunchTitle" 1
probe wait "$kWindowedTitle" 20 >/dev/null || fail "run 5: no window titled \"$kWindowedTitle\""
probe dump "$kWindowedTitle" >"$out/windowed.txt"
grep -q "client=${kSwitchMode%x*} title=" "$out/windowed.txt" ||
  fail "run 5: the client area is not ${kSwitchMode%x*}: $(head -n1 "$out/windowed.txt")"
style=$(window_style "$out/windowed.txt")
(( style & kSysMenu )) && (( style & kMinimizeBox )) && ! (( style & (kSizeBorder | kMaximizeBox | kPopup) )) &&
  (( $(window_exstyle "$out/windowed.txt") & kModalFrame )) ||
  fail "run 5: the window's frame is not a fixed one with a system menu and minimise box: $(head -n1 "$out/windowed.txt")"
lap "window \"$kWindowedTitle\": fixed frame, ${kSwitchMode%x*} client area"
area=$(probe client "$kWindowedTitle")
wait_picture "$out/windowed.png" 30 "$area" || fail "run 5: only black frames in the window for 30 s"
probe close "$kWindowedTitle"
expect_exit 15 windowed

# ---- 6. Preset by the command line: the windowed show at once, no dialog, its trace recorded ----
echo "run 6: --run --mode 640x480 --windowed --record-trace"
start_vesk preset "$WINE" "$vesk" --run --mode "${kSwitchMode%x*}" --windowed --record-trace \
  "$("$WINE" winepath -w "$out/preset.trc" 2>/dev/null | tr -d '\r')"
probe wait "$kWindowedTitle" 30 >/dev/null || fail "run 6: no window titled \"$kWindowedTitle\" without the dialog"
probe gone "$kLaunchTitle" 0 || fail "run 6: the launch dialog opened"
probe dump "$kWindowedTitle" >"$out/preset.txt"
grep -q "client=${kSwitchMode%x*} title=" "$out/preset.txt" ||
  fail "run 6: the client area is not ${kSwitchMode%x*}: $(head -n1 "$out/preset.txt")"
wait_picture "$out/preset.png" 30 "$(probe client "$kWindowedTitle")" || fail "run 6: only black frames for 30 s"
probe close "$kWindowedTitle"
expect_exit 15 preset
if [ -n "$capture" ]; then
  "$capture" --verify "$out/preset.trc" >"$out/preset-verify.log" 2>&1 ||
    fail "run 6: the recorded trace does not verify (see $out/preset-verify.log)"
  lap "the recorded trace verifies: $(tail -n1 "$out/preset-verify.log")"
else
  echo "  (no vesk-capture given: the recorded trace is not verified)"
fi

# ---- 7. A full-screen mode the display refuses: a 16-bit X screen cannot be switched to 32 bits ----
echo "run 7: SetDisplayMode refused"
leave_desktop
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
xvfb_pid=""
start_xvfb 1024x768x16 || fail "run 7: Xvfb cannot start a 16-bit screen"
export DISPLAY=":$number"
start_vesk refused "$WINE" "$vesk"
probe wait "$kLaunchTitle" 60 >/dev/null || fail "run 7: the launch dialog did not appear"
probe select "$kLaunchTitle" 104 1024x768x32 || fail "run 7: no 1024x768x32 in the list"
click "$kLaunchTitle" 1
probe wait "DDRAW ERROR" 20 >/dev/null || fail "run 7: no \"DDRAW ERROR\" box"
probe dump "DDRAW ERROR" >"$out/set-display-mode-error.txt"
expect_line "$out/set-display-mode-error.txt" 'text="SetDisplayMode error"'
import -window root "$out/set-display-mode-error.png"
press "DDRAW ERROR" Return
expect_exit 15 refused

echo "all runs passed in $(( $(date +%s) - t0 )) s; screenshots in $out"
