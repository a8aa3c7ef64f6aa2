#!/usr/bin/env bash
# Runs vesk where there is no display at all: it must say why on standard error and end with status 0.
# Usage: no_display_e2e.sh <path to vesk>
set -uo pipefail
vesk=${1:?usage: no_display_e2e.sh <path to vesk>}
err=$(mktemp)
trap 'rm -f "$err"' EXIT
# No X or Wayland session, and a runtime folder with no Wayland socket in it.
runtime=$(mktemp -d)
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$runtime" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" timeout 20 "$vesk" </dev/null >/dev/null 2>"$err"
status=$?
rmdir "$runtime"
if [ "$status" -ne 0 ]; then
  echo "FAIL: exit status $status without a display" >&2
  cat "$err" >&2
  exit 1
fi
if ! grep -q 'DirectDrawCreate error' "$err"; then
  echo "FAIL: nothing on standard error says the display could not be opened" >&2
  cat "$err" >&2
  exit 1
fi
echo "without a display: \"$(grep 'DirectDrawCreate error' "$err")\" and status 0"
