# A virtual display of the test's own, for the end-to-end scripts to source.
#
# start_xvfb SCREEN (WxHxD) starts Xvfb, kept alive between clients (-noreset), and sets number and xvfb_pid; its
# log goes to $out/xvfb.log. Xvfb picks a free number and tells it through a file descriptor once it accepts
# clients; another server starting at the same moment may take the number it tried, so a server that gives up at
# once is tried again. Returns 1 when no server would start.
start_xvfb() {
  local screen=$1
  number=""
  for _ in 1 2 3; do
    : >"$out/display.txt"
    Xvfb -displayfd 3 -noreset -screen 0 "$screen" -nolisten tcp 3>"$out/display.txt" 2>>"$out/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
      if grep -qE '^[0-9]+$' "$out/display.txt" 2>/dev/null; then
        number=$(head -n1 "$out/display.txt")
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    sleep 1
  done
  return 1
}

# start_show_display SCREEN: the set-up of a script that plays vesk on a display of its own. Skips (exit 77)
# without Xvfb; on exit ends a vesk still running ($vesk_pid), a reader ($reader) and the server; points the
# programs at the display. A script's background job starts with SIGINT and SIGQUIT ignored, and vesk keeps them
# so: start it through "env --default-signal=INT,QUIT" where those signals are tested.
start_show_display() {
  if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed" >&2
    exit 77
  fi
  xvfb_pid="" vesk_pid="" reader=""
  trap stop_show_display EXIT
  if ! start_xvfb "$1"; then
    echo "SKIP: Xvfb cannot start here (see $out/xvfb.log)" >&2
    exit 77
  fi
  export DISPLAY=":$number"
  export NO_AT_BRIDGE=1 GDK_BACKEND=x11
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
  unset SDL_VIDEODRIVER SDL_RENDER_DRIVER
}

stop_show_display() {
  if [ -n "$vesk_pid" ] && kill -0 "$vesk_pid" 2>/dev/null; then kill -KILL "$vesk_pid" 2>/dev/null; fi
  if [ -n "$reader" ]; then kill "$reader" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
