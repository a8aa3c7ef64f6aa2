#!/usr/bin/env bash
# Installs what is missing, builds (Release, Windows, web, a sanitizer build and the fuzzer) and runs the tests: all
# but the slow ones (labelled slow: the release's reproducibility, a soak of random quits), or every one with --all.
#   ./check.sh [--all]
# Prints how long each stage took and the total; the builds that run side by side log to build/check-logs/.
set -euo pipefail
cd "$(dirname "$0")"
skip_slow=(-LE slow)
case "${1:-}" in
  --all) skip_slow=() ;;
  "") ;;
  *) echo "usage: ./check.sh [--all]" >&2; exit 2 ;;
esac
step_name=check
. scripts/step-timer.sh
check_start=$step_start

scripts/install-deps.sh
step "installing packages"
jobs=$(nproc)
logs=$PWD/build/check-logs
mkdir -p "$logs"

# The builds need nothing of each other: they run side by side, so that one's serial parts (configure runs, links,
# downloads) overlap the others' compiling. Each logs to its own file, shown in full when it fails. Each runs in a
# process group of its own (set -m), ended with the check however the check ends.
declare -A pids
set -m
trap 'for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null || true; done' EXIT
in_background() {
  local name=$1
  shift
  (
    start=$SECONDS
    "$@" >"$logs/$name.log" 2>&1
    echo "check: $name took $((SECONDS - start)) s" >>"$logs/$name.log"
  ) &
  pids[$name]=$!
}
await() {
  if ! wait "${pids[$1]}"; then
    cat "$logs/$1.log" >&2
    echo "check: $1 failed (log: $logs/$1.log)" >&2
    exit 1
  fi
  grep -E '(^check|^build-[a-z]*): .* s$' "$logs/$1.log" >&2 || true
}
# The Windows programs, cross-compiled (libopenmpt for Windows is cached between runs); the Release tests run
# them under Wine.
in_background windows scripts/build-windows.sh "$PWD/build-windows"
# The web page and the wasm vesk-capture (emscripten), and the driver of the page's browser test.
in_background web env JOBS="$jobs" scripts/build-web.sh
in_background web-driver env -C tests/web PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
# The trace reader's fuzzer, built with clang in build-fuzz and run for 60 s over its corpus.
in_background fuzz tests/fuzz/run_fuzz.sh 60
# The sanitizer build runs the tests that exercise the programs' memory: the generators (tools/) and their tests
# are left out, and so are the end-to-end runs (label e2e: Xvfb, Wine, the browser), which drive the same code as
# the plain build's. -O1 is the sanitizers' own advice, and line tables are all their reports need: together they
# halve the build. It compiles at the lowest priority from the start, in whatever time the other builds and the
# real-time tests leave idle, so that it slows neither.
sanitizer_build() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DVESK_SANITIZE=ON -DVESK_BUILD_BENCH=OFF \
    -DVESK_BUILD_TOOLS=OFF -DVESK_WINE_TESTS=OFF >/dev/null
  nice -n 19 cmake --build build-asan -j"$jobs"
}
in_background sanitizer-build sanitizer_build

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVESK_WINDOWS_DIR="$PWD/build-windows" -DVESK_WINE_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
step "the Release build"
for name in windows web web-driver; do
  await "$name"
done
step "waiting for the Windows and web builds"

ctest --test-dir build --output-on-failure -j"$jobs" "${skip_slow[@]}"
step "the Release tests"
await sanitizer-build
step "waiting for the sanitizer build"
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE 'slow|e2e'
step "the sanitizer tests"
await fuzz
grep -E '^(stat::|#[0-9]+ +DONE)' "$logs/fuzz.log" >&2 || true
step "the fuzzer"
echo "check: all passed in $(( $(date +%s) - check_start )) s" >&2
