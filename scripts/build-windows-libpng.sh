#!/usr/bin/env bash
# Builds Debian's own libpng source (the version Linux links against) for 64-bit Windows with MinGW-w64, as a
# static library over Debian's MinGW zlib, for the PNG output of vesk-capture.exe.
#
#   scripts/build-windows-libpng.sh
#
# Prints the installed prefix (include/, lib/libpng.a, lib/pkgconfig/libpng.pc). Cached per user and version in
# ${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-~/.cache}/vesk}; a cached build returns at once.
set -euo pipefail

cache=${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vesk}
png_version=$(dpkg-query -W -f='${source:Version}' libpng-dev)
prefix=$cache/libpng-$png_version-mingw64
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/libpng-mingw64.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

start=$(date +%s)
work=$(mktemp -d "$cache/build-libpng-mingw64.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The installed version first; when the archive no longer serves it, another of the release's versions.
here=$(cd "$(dirname "$0")" && pwd)
png_source=$("$here/fetch-debian-source.sh" libpng1.6 "$png_version" "$work/source" any)
fetched=${png_source##*/libpng1.6-}
mv "$png_source" "$work/libpng"

rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" "$work/obj"
cp "$work/libpng/scripts/pnglibconf.h.prebuilt" "$work/libpng/pnglibconf.h"
for s in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio pngwrite \
  pngwtran pngwutil; do
  x86_64-w64-mingw32-gcc-posix -O2 -g0 -I"$work/libpng" -c "$work/libpng/$s.c" -o "$work/obj/$s.o"
done
x86_64-w64-mingw32-ar rcs "$prefix/lib/libpng.a" "$work"/obj/*.o
cp "$work/libpng/png.h" "$work/libpng/pngconf.h" "$work/libpng/pnglibconf.h" "$prefix/include/"
cat >"$prefix/lib/pkgconfig/libpng.pc" <<PC
prefix=$prefix
Name: libpng
Description: Debian's libpng $fetched, static, for MinGW-w64
Version: ${fetched%%-*}
Cflags: -I\${prefix}/include
Libs: -L\${prefix}/lib -lpng -lz
PC
touch "$prefix/.complete"
echo "build-windows-libpng: done in $(( $(date +%s) - start )) s" >&2
echo "$prefix"
