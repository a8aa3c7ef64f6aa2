#!/usr/bin/env bash
# Installs what is missing, builds (Release and a sanitizer build) and runs the tests: all but the slow ones
# (labelled slow: the release's reproducibility, two whole release builds), or every one with --all.
#   ./check.sh [--all]
set -euo pipefail
cd "$(dirname "$0")"
skip_slow=(-LE slow)
case "${1:-}" in
  --all) skip_slow=() ;;
  "") ;;
  *) echo "usage: ./check.sh [--all]" >&2; exit 2 ;;
esac
scripts/install-deps.sh
jobs=$(nproc)

# The Windows programs, cross-compiled (libopenmpt for Windows is cached between runs); the Release tests run
# them under Wine. build-windows.sh prints how long each of its steps takes.
start=$(date +%s)
scripts/build-windows.sh "$PWD/build-windows"
echo "check: Windows build $(( $(date +%s) - start )) s"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVESK_WINDOWS_DIR="$PWD/build-windows" -DVESK_WINE_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
# The web page and the wasm vesk-capture (emscripten), and the driver of the page's browser test.
web_start=$(date +%s)
JOBS=$jobs scripts/build-web.sh
(cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
echo "check: web build took $(( $(date +%s) - web_start )) s" >&2
ctest --test-dir build --output-on-failure -j"$jobs" "${skip_slow[@]}"

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESK_SANITIZE=ON -DVESK_BUILD_BENCH=OFF \
  -DVESK_WINE_TESTS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE slow
