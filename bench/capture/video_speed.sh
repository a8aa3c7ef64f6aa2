#!/usr/bin/env bash
# Times the whole show's default video (vesk-capture --video) RUNS times (3 unless given) and prints each time,
# the median and how many times faster than real time that is, beside the CPU time it took (ffmpeg included),
# which the load of a shared machine moves far less. With OLD=path/to/another/vesk-capture, that program's runs
# alternate with these, with the same options, so both see the same machine load.
#   bench/capture/video_speed.sh build/host/vesk-capture [RUNS] [extra vesk-capture options...]
set -euo pipefail
capture=$1
runs=${2:-3}
shift $(( $# >= 2 ? 2 : 1 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One timed run of program $1 into $work/$2.mp4; prints the seconds it took and the CPU seconds it and its
# children used.
timed() {
  local TIMEFORMAT='%R %U %S' times real user system
  times=$( { time "$1" --video "$work/$2.mp4" "${@:3}" >/dev/null 2>"$work/$2.log"; } 2>&1) ||
    { cat "$work/$2.log" >&2; exit 1; }
  read -r real user system <<<"$times"
  echo "$real $(echo "$user + $system" | bc)"
}

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

new=()
old=()
newCpu=()
oldCpu=()
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
for i in $(seq "$runs"); do
  times=$(timed "$capture" new "$@")
  read -r real cpu <<<"$times"
  new+=("$real")
  newCpu+=("$cpu")
  echo "run $i: $real s, $cpu s CPU" >&2
  if [ -n "${OLD:-}" ]; then
    times=$(timed "$OLD" old "$@")
    read -r real cpu <<<"$times"
    old+=("$real")
    oldCpu+=("$cpu")
    echo "run $i, $OLD: $real s, $cpu s CPU" >&2
  fi
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
show=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$work/new.mp4")
report() {
  local m
  m=$(median "$@")
  printf '%.1f s median of %d (%s), %.2f x real time for the %.1f s show\n' "$m" $# "$*" "$(echo "$show / $m" | bc -l)" "$show"
}
cpu() { printf 'CPU %.1f s median' "$(median "$@")"; }
echo "video: $(report "${new[@]}"); $(cpu "${newCpu[@]}")"
[ -z "${OLD:-}" ] || echo "old:   $(report "${old[@]}"); $(cpu "${oldCpu[@]}")"
