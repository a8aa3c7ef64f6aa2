#!/usr/bin/env bash
# Builds the show's web page with emscripten and writes it to dist/web/: index.html, page.js, page.css,
# launch_layout.js (the launch form's texts and geometry), logo.bmp, vesk.js and vesk.wasm (the program),
# vesk-worklet.js (the audio worklet with its module player). Also builds the wasm vesk-capture
# (<build>/host/vesk-capture.js, run with node) that checks the web build's exactness.
#
#   scripts/build-web.sh            # build folder build-wasm (VESK_WEB_BUILD=... to change), dist/web
#
# Cross-builds Debian's libopenmpt (and zlib and libpng for vesk-capture) with emscripten first; they are
# cached per user, so later runs only build the program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${VESK_WEB_BUILD:-build-wasm}
jobs=${JOBS:-$(nproc)}

export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
cache=${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vesk}
# Debian's emscripten cache is read-only: work from a writable copy of it.
export EM_CACHE=${EM_CACHE:-$cache/emscripten-cache}
export EM_FROZEN_CACHE=
if [ ! -d "$EM_CACHE/sysroot" ]; then
  mkdir -p "$EM_CACHE"
  cp -a /usr/share/emscripten/cache/. "$EM_CACHE/"
fi

openmpt=$(JOBS=$jobs scripts/build-libopenmpt.sh wasm)
png=$(scripts/build-web-libpng.sh)
echo "build-web: building the page in $build" >&2
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESK_OPENMPT_PREFIX="$openmpt" \
  -DVESK_PNG_PREFIX="$png" >/dev/null
cmake --build "$build" -j"$jobs"

dist=$root/dist/web
rm -rf "$dist"
mkdir -p "$dist"
for f in index.html page.js page.css launch_layout.js logo.bmp vesk.js vesk.wasm vesk-worklet.js; do
  cp "$build/web/$f" "$dist/$f"
done
echo "build-web: $dist, $(du -cb "$dist"/* | tail -1 | cut -f1) bytes" >&2
