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
# A private sources list: the system's apt configuration is never changed.
mkdir -p "$work/apt/lists/partial" "$work/apt/parts"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
cat >"$work/apt/sources.list" <<EOF
deb-src http://deb.debian.org/debian $codename main
deb-src http://deb.debian.org/debian $codename-updates main
deb-src http://deb.debian.org/debian-security $codename-security main
EOF
apt_options=(-o "Dir::Etc::sourcelist=$work/apt/sources.list" -o "Dir::Etc::sourceparts=$work/apt/parts"
  -o "Dir::State::Lists=$work/apt/lists" -o "APT::Sandbox::User=root")
echo "build-web-libpng: fetching Debian's zlib $zlib_version and libpng $png_version sources" >&2
apt-get -q "${apt_options[@]}" update >&2
# The installed version first; when the archive no longer serves it, another of the release's versions (the PNG
# output does not depend on which).
fetch() {
  local package=$1 wanted=$2 v
  for v in "$wanted" $(apt-cache "${apt_options[@]}" showsrc "$package" | sed -n 's/^Version: //p' | sort -ruV); do
    if (cd "$work" && apt-get -q "${apt_options[@]}" source --download-only "$package=$v" >&2); then
      return 0
    fi
    rm -f "$work/${package}_"*
  done
  echo "build-web-libpng: cannot fetch the $package source" >&2
  return 1
}
fetch zlib "$zlib_version"
fetch libpng1.6 "$png_version"
dpkg-source --no-check -x "$work"/zlib_*.dsc "$work/zlib" >&2
dpkg-source --no-check -x "$work"/libpng1.6_*.dsc "$work/libpng" >&2

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
