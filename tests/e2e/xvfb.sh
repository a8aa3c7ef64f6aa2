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
