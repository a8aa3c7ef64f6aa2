#!/usr/bin/env bash
# Builds the show's web page with emscripten and writes it to dist/web/: index.html, page.js, page.css,
# launch_layout.js and logo.png (the launch form's texts, geometry and logo), vesk.js and vesk.wasm (the program),
# vesk-worklet.js and vesk-player.wasm (the audio worklet and its module player). Also builds the wasm vesk-capture
# (<build>/host/vesk-capture.js, run with node) that checks the web build's exactness.
#
#   scripts/build-web.sh            # build folder build-wasm (VESK_WEB_BUILD=... to change), dist/web
#
# VESK_WEB_DIST names the page's folder (default: dist/web); it also gets the THIRD-PARTY-NOTICES of the libraries
# compiled into the page. VESK_RELEASE=1 builds the page only, without the build's folders in it
# (scripts/release.sh).
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

step_name=build-web
. scripts/step-timer.sh
# The closure compiler that minifies the glue comes from npm, pinned to the one this emscripten expects.
if [ ! -x web/node_modules/.bin/google-closure-compiler ]; then
  (cd web && npm ci --no-audit --no-fund --loglevel=error >&2)
fi
export EM_CLOSURE_COMPILER=$root/web/node_modules/.bin/google-closure-compiler

step "the closure compiler"
openmpt=$(JOBS=$jobs scripts/build-libopenmpt.sh wasm)
step "libopenmpt for the web"
png=$(scripts/build-web-libpng.sh)
step "libpng for the web"
echo "build-web: building the page in $build" >&2
targets=(all)
release=OFF
if [ "${VESK_RELEASE:-0}" = 1 ]; then
  targets=(vesk-page)
  release=ON
fi
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESK_OPENMPT_PREFIX="$openmpt" \
  -DVESK_PNG_PREFIX="$png" -DVESK_REPRODUCIBLE=$release >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"
step "the web build"

dist=${VESK_WEB_DIST:-$root/dist/web}
rm -rf "$dist"
mkdir -p "$dist"
for f in index.html page.js page.css launch_layout.js logo.png vesk.js vesk.wasm vesk-worklet.js vesk-player.wasm; do
  cp "$build/web/$f" "$dist/$f"
done
scripts/third-party-notices.sh web >"$dist/THIRD-PARTY-NOTICES"
echo "build-web: $dist, $(du -cb "$dist"/* | tail -1 | cut -f1) bytes" >&2
