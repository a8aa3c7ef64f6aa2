#!/usr/bin/env bash
# Times the whole show's default video (vesk-capture --video) RUNS times (3 unless given) and prints each time,
# the median and how many times faster than real time that is. With OLD=path/to/another/vesk-capture, that
# program's runs alternate with these, so both see the same machine load.
#   bench/capture/video_speed.sh build/host/vesk-capture [RUNS] [extra vesk-capture options...]
set -euo pipefail
capture=$1
runs=${2:-3}
shift $(( $# >= 2 ? 2 : 1 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One timed run of program $1 into $work/$2.mp4; prints the seconds.
timed() {
  local start end
  start=$(date +%s.%N)
  "$1" --video "$work/$2.mp4" "${@:3}" >/dev/null 2>"$work/$2.log" || { cat "$work/$2.log" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

new=()
old=()
for i in $(seq "$runs"); do
  new+=("$(timed "$capture" new "$@")")
  echo "run $i: ${new[-1]} s" >&2
  if [ -n "${OLD:-}" ]; then
    old+=("$(timed "$OLD" old)")
    echo "run $i, $OLD: ${old[-1]} s" >&2
  fi
done
show=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$work/new.mp4")
report() {
  local m
  m=$(median "$@")
  printf '%.1f s median of %d (%s), %.2f x real time for the %.1f s show\n' "$m" $# "$*" "$(echo "$show / $m" | bc -l)" "$show"
}
echo "video: $(report "${new[@]}")"
[ -z "${OLD:-}" ] || echo "old:   $(report "${old[@]}")"
