#!/usr/bin/env bash
# Runs vesk where there is no display at all: it must say why on standard error and end with status 0.
# Usage: no_display_e2e.sh <path to vesk>
set -uo pipefail
vesk=${1:?usage: no_display_e2e.sh <path to vesk>}
err=$(mktemp)
# No X or Wayland session, and a runtime folder with no Wayland socket in it.
runtime=$(mktemp -d)
trap 'rm -f "$err"; rmdir "$runtime"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$runtime" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" timeout 20 "$vesk" </dev/null >/dev/null 2>"$err"
status=$?
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
if ! grep -q 'vesk: the display .* cannot be opened: ' "$err"; then
  echo "FAIL: the cause is not on standard error beside the message" >&2
  cat "$err" >&2
  exit 1
fi
echo "without a display: \"$(grep 'DirectDrawCreate error' "$err")\", \"$(grep 'cannot be opened' "$err")\", status 0"

# A display named but not there: the cause names it.
env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:4711 XDG_RUNTIME_DIR="$runtime" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" timeout 20 "$vesk" </dev/null >/dev/null 2>"$err"
status=$?
if [ "$status" -ne 0 ] || ! grep -q 'the display ":4711" (DISPLAY) cannot be opened: ' "$err"; then
  echo "FAIL: status $status, or the missing display is not named as the cause" >&2
  cat "$err" >&2
  exit 1
fi
echo "with DISPLAY=:4711 absent: \"$(grep 'cannot be opened' "$err")\""
