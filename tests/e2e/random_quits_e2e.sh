#!/usr/bin/env bash
# Ends recorded runs of vesk at random moments in every way a user or the system can (Escape, the window closed,
# SIGTERM, SIGINT, SIGHUP): each must end with status 0 and leave either a whole trace that replays or, when the
# quit came before the first frame, no file at all; never a partial one.
# Usage: random_quits_e2e.sh <vesk> <vesk-capture> <output folder> [runs, 50] [seed]
# The first five runs take the five ways in turn; the rest pick one at random. Each quit comes at a random moment
# 0.05 to 10 s after the program has put its signal handlers in place (a signal before the program has started
# at all meets the system's default action, which no program can change).
set -uo pipefail

vesk=${1:?usage: random_quits_e2e.sh <vesk> <vesk-capture> <output folder> [runs] [seed]}
capture=${2:?usage: random_quits_e2e.sh <vesk> <vesk-capture> <output folder> [runs] [seed]}
out=${3:?usage: random_quits_e2e.sh <vesk> <vesk-capture> <output folder> [runs] [seed]}
runs=${4:-50}
RANDOM=${5:-$$}
mkdir -p "$out"
rm -f "$out"/quit-*

readonly kWays=(escape close term int hup)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for tool in xdotool xwininfo timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
source "$(dirname "$0")/xvfb.sh"
start_show_display 640x480x24

# The id of the mapped full-screen show window, or nothing.
show_window() {
  local id
  for id in $(xwininfo -root -tree | grep -F '"Test": (' | awk '{print $1}'); do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
  done
  return 1
}

# Whether process $1 catches SIGTERM (bit 15 of its caught-signal mask).
catches_term() {
  local mask
  mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (((0x$mask >> 14) & 1))
}

for ((run = 0; run < runs; run++)); do
  if [ "$run" -lt ${#kWays[@]} ]; then way=${kWays[$run]}; else way=${kWays[$((RANDOM % ${#kWays[@]}))]}; fi
  # 0.05 to 10 s, in milliseconds.
  delay_ms=$((50 + (RANDOM * 32768 + RANDOM) % 9951))
  name=quit-$run-$way
  trace=$out/$name.trc
  env --default-signal=INT,QUIT "$vesk" --run --record-trace "$trace" >"$out/$name.out.log" 2>"$out/$name.err.log" &
  vesk_pid=$!
  # Loading its libraries can take seconds on a busy machine.
  for _ in $(seq 1000); do catches_term "$vesk_pid" && break; sleep 0.01; done
  catches_term "$vesk_pid" || fail "$name: vesk never put its signal handlers in place"
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  case $way in
    term | int | hup) kill -"${way^^}" "$vesk_pid" ;;
    escape | close)
      window=""
      for _ in $(seq 150); do window=$(show_window) && break; sleep 0.1; done
      [ -n "$window" ] || fail "$name: no show window to quit through"
      if [ "$way" = escape ]; then
        xdotool windowfocus --sync "$window" key Escape 2>/dev/null
      else
        xdotool windowclose "$window" 2>/dev/null
      fi
      ;;
  esac
  for _ in $(seq 200); do kill -0 "$vesk_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$vesk_pid" 2>/dev/null && fail "$name: vesk still running 20 s after the quit"
  wait "$vesk_pid"
  status=$?
  vesk_pid=""
  [ "$status" -eq 0 ] || fail "$name (after ${delay_ms} ms): exit status $status (see $out/$name.err.log)"
  leftovers=$(find "$out" -maxdepth 1 -name "$name*.trc" ! -name "$name.trc")
  [ -z "$leftovers" ] || fail "$name: left $leftovers"
  if [ -f "$trace" ]; then
    "$capture" --verify "$trace" >"$out/$name.verify.log" 2>&1 ||
      { tail -n 5 "$out/$name.verify.log" >&2; fail "$name (after ${delay_ms} ms): the trace does not replay"; }
    echo "$name after ${delay_ms} ms: status 0, $(tail -n1 "$out/$name.verify.log")"
    rm -f "$trace"
  else
    grep -q "nothing was presented" "$out/$name.err.log" ||
      fail "$name (after ${delay_ms} ms): no trace, and vesk did not say nothing was presented"
    echo "$name after ${delay_ms} ms: status 0, nothing presented, no trace"
  fi
done
echo "all $runs quits ended with status 0 and a trace that replays"
