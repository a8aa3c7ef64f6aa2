# Sourced by the build scripts: `step "what was done"` prints how long it took since the last step, as
# "<step_name>: <what> took N s", on standard error. Set step_name before sourcing.
step_start=$(date +%s)
step() {
  local now
  now=$(date +%s)
  echo "${step_name}: $1 took $(( now - step_start )) s" >&2
  step_start=$now
}
