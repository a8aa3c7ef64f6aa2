#!/usr/bin/env bash
# Measures vesk while the show plays under Xvfb: CPU use of the whole process, the time from "Run Demo" to the
# first frames, peak resident memory, the frame rate and the pacing of the presents (bench/realtime/pacing.sh), in
# full screen and in a window, on both presentation paths: the software renderer with the pacer (what a machine
# without a GPU gets) and the accelerated GL renderer forced with SDL_RENDER_DRIVER=opengl (here on Mesa's CPU
# rasteriser).
# Usage: bench/realtime/measure.sh [path to vesk] [seconds of show to measure, default 20]
# Environment: VESK_BENCH_PATHS (default "software opengl") the paths to measure; VESK_BENCH_STARTS (default 5)
# the starts timed per mode, 0 for none; VESK_BENCH_ARGS more options for vesk, as "--scale nearest".
set -uo pipefail

vesk=${1:-$(dirname "$0")/../../build/host/vesk}
seconds=${2:-20}
[ -x "$vesk" ] || { echo "no vesk at $vesk (build it first)" >&2; exit 1; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

# Targets: under 10% of one core (software path), under 120 ms to the first frame of the show, under 60 MB resident.
readonly kCpuTarget=10 kStartTarget=120 kMemoryTargetMb=60
readonly kLaunchTitle='Orrent - Vesk, Windows version (preview)'
work=$(mktemp -d)
ticks_per_second=$(getconf CLK_TCK)

xvfb_pid=""
vesk_pid=""
cleanup() {
  if [ -n "$vesk_pid" ] && kill -0 "$vesk_pid" 2>/dev/null; then kill -KILL "$vesk_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  grep -qE '^[0-9]+$' "$work/display" 2>/dev/null && break
  sleep 0.1
done
grep -qE '^[0-9]+$' "$work/display" || { echo "Xvfb cannot start here" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" NO_AT_BRIDGE=1 GDK_BACKEND=x11 VESK_TRACE=presents

# user + system clock ticks of a process, all its threads included
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# the monotonic time (ms) of the first trace line for an event
trace_time() { awk -v e="$2" '$1 == "vesk-trace" && substr($0, index($0, $3)) == e {print $2; exit}' "$1"; }

# Starts vesk, presses keys in the dialog and then Enter; sets vesk_pid, log.
start_show() {
  log=$1
  shift
  # shellcheck disable=SC2086 # the extra options are split on purpose
  setsid "$vesk" ${VESK_BENCH_ARGS:-} >/dev/null 2>"$log" &
  vesk_pid=$!
  local dialog
  dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "^${kLaunchTitle//[()]/.}\$" | head -n1)
  [ -n "$dialog" ] || { echo "the launch dialog did not appear" >&2; return 1; }
  sleep 0.5
  xdotool windowfocus --sync "$dialog"
  [ $# -gt 0 ] && xdotool key --delay 50 "$@"
  xdotool key Return
}

stop_show() {
  kill -TERM "$vesk_pid"
  for _ in $(seq 100); do kill -0 "$vesk_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$vesk_pid" 2>/dev/null
  vesk_pid=""
}

# startup <label> <trials> <keys...>: Run Demo to the first frame of the show, over several starts.
startup() {
  local label=$1 trials=$2
  shift 2
  local times=()
  for i in $(seq "$trials"); do
    start_show "$work/start$i.log" "$@" || return 1
    for _ in $(seq 100); do
      grep -q ' present 2$' "$log" && break
      sleep 0.1
    done
    stop_show
    times+=("$(awk -v a="$(trace_time "$log" run-demo)" -v b="$(trace_time "$log" "present 2")" 'BEGIN{printf "%.0f", b - a}')")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v label="$label" -v t=$kStartTarget '
    { v[NR] = $1 } END {
      median = v[int((NR + 1) / 2)]
      printf "  Run Demo -> first show frame    %6.0f ms median of %d starts (min %d, max %d)  (target < %d ms: %s)\n", \
        median, NR, v[1], v[NR], t, median < t ? "within target" : "OVER TARGET"
    }'
}

# measure <label> <keys to press in the dialog before Enter...>
measure() {
  local label=$1
  shift
  start_show "$work/measure.log" "$@" || return 1

  # Measure from the first presented frame, over the asked span.
  for _ in $(seq 100); do
    grep -q ' present 1$' "$log" && break
    sleep 0.1
  done
  sleep 1
  local xvfb_before vesk_before start end vesk_after xvfb_after
  vesk_before=$(cpu_ticks "$vesk_pid")
  xvfb_before=$(cpu_ticks "$xvfb_pid")
  start=$(date +%s.%N)
  sleep "$seconds"
  vesk_after=$(cpu_ticks "$vesk_pid")
  xvfb_after=$(cpu_ticks "$xvfb_pid")
  end=$(date +%s.%N)
  local peak_kb
  peak_kb=$(awk '/^VmHWM:/{print $2}' "/proc/$vesk_pid/status")
  stop_show

  local run_demo first_present first_show first_picture
  run_demo=$(trace_time "$log" run-demo)
  first_present=$(trace_time "$log" "present 1")
  first_show=$(trace_time "$log" "present 2")
  first_picture=$(trace_time "$log" first-picture)
  local frames_300 frames_600
  frames_300=$(trace_time "$log" "present 300")
  frames_600=$(trace_time "$log" "present 600")

  awk -v label="$label" -v vb="$vesk_before" -v va="$vesk_after" -v xb="$xvfb_before" -v xa="$xvfb_after" \
      -v s="$start" -v e="$end" -v hz="$ticks_per_second" -v peak="$peak_kb" \
      -v rd="$run_demo" -v p1="$first_present" -v p2="$first_show" -v pic="$first_picture" \
      -v f300="$frames_300" -v f600="$frames_600" \
      -v cpuT=$kCpuTarget -v memT=$kMemoryTargetMb '
    function verdict(ok) { return ok ? "within target" : "OVER TARGET" }
    BEGIN {
      span = e - s
      cpu = 100 * (va - vb) / hz / span
      xcpu = 100 * (xa - xb) / hz / span
      printf "%s\n", label
      printf "  CPU of vesk (all threads)       %6.1f %% of one core   (target < %d %%: %s)\n", cpu, cpuT, verdict(cpu < cpuT)
      printf "  CPU of the X server meanwhile   %6.1f %% of one core\n", xcpu
      printf "  Run Demo -> first frame         %6.0f ms (the black frame start-up presents)\n", p1 - rd
      printf "  Run Demo -> first show frame    %6.0f ms (this start)\n", p2 - rd
      printf "  Run Demo -> first non-black     %6.0f ms\n", pic - rd
      printf "  peak resident memory            %6.1f MB               (target < %d MB: %s)\n", peak / 1024, memT, verdict(peak / 1024 < memT)
      if (f600 != "" && f300 != "") printf "  frame rate                      %6.1f frames/s\n", 300 / ((f600 - f300) / 1000)
    }'
  grep -o 'renderer .*' "$log" | head -n1 | sed 's/^/  /'
  "$(dirname "$0")/pacing.sh" "$log" 60 1
}

readonly kTrials=${VESK_BENCH_STARTS:-5}
echo "vesk ${VESK_BENCH_ARGS:-} under Xvfb 1024x768x24 ($DISPLAY), $seconds s of show measured per mode, $kTrials starts timed per mode"
for path in ${VESK_BENCH_PATHS:-software opengl}; do
  if [ "$path" = opengl ]; then export SDL_RENDER_DRIVER=opengl; else unset SDL_RENDER_DRIVER; fi
  echo "== $path path"
  measure "full screen, 1024x768x32"
  [ "$kTrials" -gt 0 ] && startup "full screen" "$kTrials"
  # Tab order: resolution list, Run Demo, Exit, About, Windowed, Nosound.
  measure "windowed, 1024x768" Tab Tab Tab Tab Tab space
  [ "$kTrials" -gt 0 ] && startup "windowed" "$kTrials" Tab Tab Tab Tab Tab space
done
