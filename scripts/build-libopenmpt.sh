#!/usr/bin/env bash
# Cross-builds Debian's own libopenmpt source (the version Linux links against) as a static library,
# so that every build of Vesk plays the music with the same player.
#
#   scripts/build-libopenmpt.sh mingw64   # Windows x86-64, MinGW-w64 with POSIX threads
#   scripts/build-libopenmpt.sh wasm      # WebAssembly, emscripten
#
# Prints the installed prefix (include/, lib/libopenmpt.a, lib/pkgconfig/). The result is cached
# per user, keyed by version, target and build options, in ${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-~/.cache}/vesk};
# a cached build returns at once. JOBS sets the build's parallelism (default: all cores).
#
# Only the library is built, straight from the list of its sources in the package's Makefile.am: the package's
# configure script runs a minute or more, one check at a time, and decides nothing the flags below do not.
# This version has no option that leaves a module loader out (its loader table is fixed, and NO_PLUGINS does not
# build). The show plays one XM module: the loader table keeps the XM loader alone and the packed-container probes
# go, and the loaders nothing reaches then are not compiled at all (a third of the player, and of its build time;
# the page downloads less). Nothing the XM loader or the mixer does changes.
set -euo pipefail

target=${1:?usage: build-libopenmpt.sh mingw64|wasm}
here=$(cd "$(dirname "$0")" && pwd)
cache=${VESK_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vesk}
version=$(dpkg-query -W -f='${source:Version}' libopenmpt-dev)
# Raise the tag whenever what is built changes, so that an older build in the cache is not taken for it.
options=lib3-xm
prefix=$cache/libopenmpt-$version-$target-$options
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

# The Windows and web builds may start side by side: one fetches the source, the other waits for it.
source_dir=$(flock "$cache/libopenmpt-source.lock" \
  "$here/fetch-debian-source.sh" libopenmpt "$version" "$cache/source")
work=$(mktemp -d "$cache/build-$target.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -a "$source_dir/." "$work/"
cd "$work"

table=soundlib/Sndfile.cpp
sed -i -e '/^\tMPT_DECLARE_FORMAT(/{/MPT_DECLARE_FORMAT(XM)/!d}' \
  -e '/MPT_DO_PROBE(result, ProbeFileHeader\(MMCMP\|PP20\|XPK\|UMX\)(/d' \
  -e '/packedContainerType == ModContainerType::None && Unpack\(XPK\|PP20\|MMCMP\|UMX\)(/d' "$table"
if [ "$(grep -cP '^\tMPT_DECLARE_FORMAT\(' "$table")" != 1 ] || grep -qE 'ProbeFileHeader(MMCMP|UMX)\(file|UnpackUMX\(' "$table"; then
  echo "build-libopenmpt: $table no longer has the loader table this script trims; its layout has changed" >&2
  exit 1
fi

jobs=${JOBS:-$(nproc)}
start=$(date +%s)
echo "build-libopenmpt: building libopenmpt $version for $target (-j$jobs)" >&2

case "$target" in
  mingw64)
    cxx=x86_64-w64-mingw32-g++-posix
    ar=x86_64-w64-mingw32-ar
    flags=(-O2 -municode -mthreads)
    libs_private="-lole32 -lrpcrt4"
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
    cxx=em++
    ar=emar
    # Smallest code: the page downloads it. Optimisation levels leave the player's arithmetic as it is.
    flags=(-Oz)
    libs_private=""
    ;;
  *)
    echo "build-libopenmpt: unknown target '$target' (mingw64 or wasm)" >&2
    exit 2
    ;;
esac

# The package's own defines (configure.ac's AC_DEFINEs: version and origin) and the library's flags (Makefile.am),
# its include folders spelled as its Makefile spells them: they name the files in the assertions' texts.
mapfile -t defines < <(sed -n 's/^AC_DEFINE(\[\(MPT_[A-Z]*\)\], *\[\(.*\)\], .*/-D\1=\2/p' configure.ac)
flags+=(-std=c++17 -g0 -fvisibility=hidden -D_FILE_OFFSET_BITS=64 -DLIBOPENMPT_BUILD "${defines[@]}"
  -I. -I./build/svn_version -I./ -I./src -I./common)
# Left out: the files that compile to nothing in a library build.
mapfile -t sources < <(sed -n 's/^\(MPT_FILES_[A-Z_]*\|libopenmpt_la_SOURCES\) += \(.*\.cpp\)$/\2/p' Makefile.am |
  grep -vE '/(AudioCriticalSection|Dlsbank|DMOPlugin|DSP|AGC|EQ|Profiler|mptFileIO)\.cpp$')
if [ "${#sources[@]}" -lt 50 ]; then
  echo "build-libopenmpt: Makefile.am lists only ${#sources[@]} sources; its layout has changed" >&2
  exit 1
fi
# The loaders the trimmed table no longer reaches are not compiled at all. The XM loader borrows from the IT and
# MOD loaders, the IT loader from the S3M one, and the sample reader unpacks with the AMS and DMF loaders'
# routines: those stay. (A linker that drops unreachable code forgives a missing one; a plain static link does not.)
mapfile -t sources < <(printf '%s\n' "${sources[@]}" |
  grep -vE '/((Load|load)_[a-z0-9_]+|Container[A-Z0-9]+|UMXTools)\.cpp$' ; printf '%s\n' "${sources[@]}" |
  grep -E '/Load_(xm|it|s3m|mod|ams|dmf)\.cpp$')

# Every file that starts from common/stdafx.h (all but the two API front ends) reads it precompiled.
echo '#include "stdafx.h"' >pch.h
"$cxx" "${flags[@]}" -x c++-header pch.h -o "pch.h.$([ "$target" = wasm ] && echo pch || echo gch)"
export cxx
compile() {
  local source=$1 object=obj/${1%.cpp}.o
  mkdir -p "$(dirname "$object")"
  if grep -m1 '^#include' "$source" | grep -q 'stdafx\.h"'; then
    "$cxx" "${@:2}" -include pch.h -c "$source" -o "$object"
  else
    "$cxx" "${@:2}" -c "$source" -o "$object"
  fi
}
export -f compile
printf '%s\n' "${sources[@]}" | xargs -P"$jobs" -I{} bash -c 'compile "$@"' _ {} "${flags[@]}"
mkdir -p "$prefix/lib/pkgconfig" "$prefix/include/libopenmpt"
rm -f "$prefix/lib/libopenmpt.a"
"$ar" rcs "$prefix/lib/libopenmpt.a" $(printf 'obj/%s.o\n' "${sources[@]%.cpp}")

# The public headers and pkg-config file, as the package's own install writes them.
sed -n 's/^nobase_include_HEADERS += \(libopenmpt\/.*\)$/\1/p' Makefile.am |
  xargs -I{} cp {} "$prefix/include/libopenmpt/"
cat >"$prefix/lib/pkgconfig/libopenmpt.pc" <<EOF
prefix=$prefix
exec_prefix=\${prefix}
includedir=\${prefix}/include
libdir=\${exec_prefix}/lib

Name: libopenmpt
Description: Tracker module player based on OpenMPT
Version: $(sed -n 's/^AC_INIT(\[libopenmpt\], *\[\([^]]*\)\].*/\1/p' configure.ac)
Libs: -L\${libdir} -lopenmpt
Libs.private: $libs_private
Cflags: -I\${includedir}
EOF
touch "$prefix/.complete"
echo "build-libopenmpt: $target done in $(( $(date +%s) - start )) s" >&2
echo "$prefix"
