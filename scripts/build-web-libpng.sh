#!/usr/bin/env bash
# Builds Debian's own zlib and libpng sources with emscripten as static libraries, for the web build of
# vesk-capture (its PNG output), from the same versions Linux links against.
#
#   scripts/build-web-libpng.sh
#
# Prints the installed prefix (include/, lib/libpng.a, lib/libz.a). Cached per user and version in
# ${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-~/.cache}/vesk}; a cached build returns at once.
set -euo pipefail

cache=${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vesk}
png_version=$(dpkg-query -W -f='${source:Version}' libpng-dev)
zlib_version=$(dpkg-query -W -f='${source:Version}' zlib1g-dev)
prefix=$cache/libpng-$png_version-zlib-${zlib_version#*:}-wasm
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/libpng-wasm.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "$cache/build-libpng-wasm.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The installed versions first; when the archive no longer serves one, another of the release's versions (the
# PNG output does not depend on which).
here=$(cd "$(dirname "$0")" && pwd)
zlib_source=$("$here/fetch-debian-source.sh" zlib "$zlib_version" "$work/source" any)
png_source=$("$here/fetch-debian-source.sh" libpng1.6 "$png_version" "$work/source" any)
mv "$zlib_source" "$work/zlib"
mv "$png_source" "$work/libpng"

export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
export EM_CACHE=${EM_CACHE:-$cache/emscripten-cache}
export EM_FROZEN_CACHE=
if [ ! -d "$EM_CACHE/sysroot" ]; then
  mkdir -p "$EM_CACHE"
  cp -a /usr/share/emscripten/cache/. "$EM_CACHE/"
fi

rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib" "$work/obj/z" "$work/obj/png"
zlib_sources=(adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees
  uncompr zutil)
for s in "${zlib_sources[@]}"; do
  emcc -O2 -g0 -DHAVE_UNISTD_H -c "$work/zlib/$s.c" -o "$work/obj/z/$s.o"
done
emar rcs "$prefix/lib/libz.a" "$work"/obj/z/*.o
cp "$work/zlib/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"

cp "$work/libpng/scripts/pnglibconf.h.prebuilt" "$work/libpng/pnglibconf.h"
png_sources=(png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio pngwrite
  pngwtran pngwutil)
for s in "${png_sources[@]}"; do
  emcc -O2 -g0 -DPNG_ARM_NEON_OPT=0 -I"$prefix/include" -I"$work/libpng" -c "$work/libpng/$s.c" \
    -o "$work/obj/png/$s.o"
done
emar rcs "$prefix/lib/libpng.a" "$work"/obj/png/*.o
cp "$work/libpng/png.h" "$work/libpng/pngconf.h" "$work/libpng/pnglibconf.h" "$prefix/include/"
touch "$prefix/.complete"
echo "build-web-libpng: done" >&2
echo "$prefix"
