#!/usr/bin/env bash
# Cross-builds Debian's own libopenmpt source (the version Linux links against) as a static library,
# so that every build of Vesk plays the music with the same player.
#
#   scripts/build-libopenmpt.sh mingw64   # Windows x86-64, MinGW-w64 with POSIX threads
#   scripts/build-libopenmpt.sh wasm      # WebAssembly, emscripten
#
# Prints the installed prefix (include/, lib/libopenmpt.a, lib/pkgconfig/). The result is cached
# per user, keyed by version and target, in ${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-~/.cache}/vesk};
# a cached build returns at once. JOBS sets the build's parallelism (default: all cores).
set -euo pipefail

target=${1:?usage: build-libopenmpt.sh mingw64|wasm}
here=$(cd "$(dirname "$0")" && pwd)
cache=${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vesk}
version=$(dpkg-query -W -f='${source:Version}' libopenmpt-dev)
prefix=$cache/libopenmpt-$version-$target
if [ -f "$prefix/lib/libopenmpt.a" ] && [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/libopenmpt-$target.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

source_dir=$("$here/fetch-debian-source.sh" libopenmpt "$version" "$cache/source")
work=$(mktemp -d "$cache/build-$target.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -a "$source_dir/." "$work/"
cd "$work"

common=(--enable-static --disable-shared --prefix="$prefix"
  --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc
  --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile
  --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sdl2
  --without-sndfile --without-flac)
jobs=${JOBS:-$(nproc)}
start=$(date +%s)
echo "build-libopenmpt: building libopenmpt $version for $target (-j$jobs)" >&2

case "$target" in
  mingw64)
    ./configure --host=x86_64-w64-mingw32 "${common[@]}" \
      CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix \
      CFLAGS="-O2 -g0" CXXFLAGS="-O2 -g0" >&2
    make -j"$jobs" >&2
    make install >&2
    x86_64-w64-mingw32-strip --strip-debug "$prefix/lib/libopenmpt.a"
    ;;
  wasm)
    # Debian's emscripten cache is read-only: work from a writable copy of it.
    export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
    export EM_CACHE=${EM_CACHE:-$cache/emscripten-cache}
    export EM_FROZEN_CACHE=
    if [ ! -d "$EM_CACHE/sysroot" ]; then
      mkdir -p "$EM_CACHE"
      cp -a /usr/share/emscripten/cache/. "$EM_CACHE/"
    fi
    emconfigure ./configure --host=wasm32 "${common[@]}" CFLAGS="-O2 -g0" CXXFLAGS="-O2 -g0" >&2
    emmake make -j"$jobs" >&2
    make install >&2
    ;;
  *)
    echo "build-libopenmpt: unknown target '$target' (mingw64 or wasm)" >&2
    exit 2
    ;;
esac
touch "$prefix/.complete"
echo "build-libopenmpt: $target done in $(( $(date +%s) - start )) s" >&2
echo "$prefix"
