#!/usr/bin/env bash
# vesk-capture and its ffmpeg child: a stalled encoder, a killed capture, a video whose reader goes away.
# Usage: capture_ffmpeg_test.sh <path to vesk-capture> stalled|killed|closed-reader
set -uo pipefail
capture=${1:?usage: capture_ffmpeg_test.sh <vesk-capture> stalled|killed|closed-reader}
case=${2:?which case}
dir=$(mktemp -d)
child=
trap '[ -n "$child" ] && kill -9 "$child" 2>/dev/null; rm -rf "$dir"' EXIT
mkdir "$dir/bin" "$dir/out" "$dir/tmp"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# An "ffmpeg" that says who it is and never reads its input.
fake_ffmpeg() {
  printf '#!/bin/sh\necho $$ > "%s/ffmpeg.pid"\nexec /bin/sleep 120\n' "$dir" >"$dir/bin/ffmpeg"
  chmod +x "$dir/bin/ffmpeg"
}

# True once the process is gone; a zombie waiting for its reaper counts as gone.
gone() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
  [[ $state == Z* ]]
}

case $case in
  stalled)
    fake_ffmpeg
    start=$SECONDS
    timeout 60 env PATH="$dir/bin" "$capture" --video "$dir/out/show.mp4" --ffmpeg-timeout 1 2>"$dir/err"
    status=$?
    [ "$status" -eq 1 ] || fail "status $status after ffmpeg took nothing, not 1"
    [ $((SECONDS - start)) -le 10 ] || fail "took $((SECONDS - start)) s to give up on a 1 s timeout"
    grep -q 'ffmpeg took no frame for 1 s' "$dir/err" || fail "the message does not name the wait: $(cat "$dir/err")"
    [ -z "$(ls -A "$dir/out")" ] || fail "left behind: $(ls -A "$dir/out")"
    child=$(cat "$dir/ffmpeg.pid")
    gone "$child" || fail "the stalled ffmpeg still runs"
    ;;
  killed)
    fake_ffmpeg
    PATH="$dir/bin" "$capture" --video "$dir/out/show.mp4" 2>/dev/null &
    parent=$!
    for _ in $(seq 100); do
      [ -s "$dir/ffmpeg.pid" ] && break
      sleep 0.1
    done
    [ -s "$dir/ffmpeg.pid" ] || fail "the capture never started ffmpeg"
    child=$(cat "$dir/ffmpeg.pid")
    kill -9 "$parent"
    wait "$parent" 2>/dev/null
    for _ in $(seq 50); do
      gone "$child" && exit 0
      sleep 0.1
    done
    fail "ffmpeg outlived the killed capture by 5 s"
    ;;
  closed-reader)
    # The sound or trace there: the file written beside it is cleaned up, not left half-written.
    "$capture" --trace - --audio "$dir/out/a.wav" --to 5 | head -c 100 >/dev/null
    status=${PIPESTATUS[0]}
    [ "$status" -eq 141 ] || fail "status $status when the trace's reader left early, not 141"
    [ -z "$(ls -A "$dir/out")" ] || fail "left behind: $(ls -A "$dir/out")"
    command -v ffmpeg >/dev/null || { echo "no ffmpeg"; exit 77; }
    # Each several times what a pipe holds: ffmpeg is still writing when the reader leaves.
    for video in "--container mkv --quality archive --to 2" "--container mp4 --from 20 --to 22 --size 640x400"; do
      # shellcheck disable=SC2086
      TMPDIR="$dir/tmp" "$capture" --video - $video 2>/dev/null | head -c 100 >/dev/null
      status=${PIPESTATUS[0]}
      [ "$status" -eq 141 ] || fail "status $status when the reader of $video left early, not 141 as for --audio -"
    done
    TMPDIR="$dir/tmp" "$capture" --audio - --video "$dir/out/v.mp4" --size 64x40 --to 5 | head -c 100 >/dev/null
    status=${PIPESTATUS[0]}
    [ "$status" -eq 141 ] || fail "status $status when the sound's reader left early beside a video, not 141"
    left=$(find "$dir/tmp" "$dir/out" -mindepth 1)
    [ -z "$left" ] || fail "left behind: $left"
    ;;
  *)
    fail "no case $case"
    ;;
esac
