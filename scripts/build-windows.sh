#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 and packs them: dist/vesk-<version>-windows-x64.zip holds
# vesk.exe, vesk-capture.exe, README.txt and THIRD-PARTY-NOTICES.txt. Installs what is missing first; libopenmpt
# for Windows is built from Debian's source once and cached (scripts/build-libopenmpt.sh). Prints how long each
# step takes.
#   scripts/build-windows.sh [build folder]     (default: build-windows)
# VESK_DIST names the zip's folder (default: dist). VESK_RELEASE=1 builds the two programs only, without the
# build's folders or time in them (scripts/release.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows}
cd "$root"

step_name=build-windows
. "$root/scripts/step-timer.sh"

scripts/install-deps.sh
step "installing packages"
openmpt=$(scripts/build-libopenmpt.sh mingw64)
step "libopenmpt for Windows"
png=$(scripts/build-windows-libpng.sh)
step "libpng for Windows"

# Only the cross-built libraries: none of the build machine's own .pc files may leak in.
export PKG_CONFIG_LIBDIR=$openmpt/lib/pkgconfig:$png/lib/pkgconfig
targets=(vesk vesk-capture window_probe sound_check os_services_check)
release=OFF
if [ "${VESK_RELEASE:-0}" = 1 ]; then
  targets=(vesk vesk-capture)
  release=ON
fi
# CMake keeps what pkg-config found: when the libraries are others than the build folder was configured with, it
# starts again from a fresh cache, or it would go on linking the old ones.
if ! grep -qxF "VESK_WINDOWS_PREFIX:UNINITIALIZED=$openmpt;$png" "$build/CMakeCache.txt" 2>/dev/null; then
  rm -f "$build/CMakeCache.txt"
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVESK_WINDOWS_PREFIX="$openmpt;$png" -DVESK_REPRODUCIBLE=$release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
nice -n 10 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
step "the Windows build"

# vesk.exe must run on a bare Windows: it may import the system's DLLs only.
allowed='^(KERNEL32|USER32|GDI32|WINMM|ADVAPI32|msvcrt|ole32|OLEAUT32|SHELL32|COMCTL32|ntdll)\.dll$'
for exe in "$build/host/vesk.exe" "$build/host/vesk-capture.exe"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p')
  if stray=$(grep -viE "$allowed" <<<"$imports"); then
    echo "build-windows: $(basename "$exe") imports DLLs that Windows does not have: $stray" >&2
    exit 1
  fi
done

version=$(sed -n 's/^#define VESK_VERSION "\(.*\)"$/\1/p' "$build/version/vesk_version.h")
dist=${VESK_DIST:-$root/dist}
stage=$build/dist
rm -rf "$stage"
mkdir -p "$stage" "$dist"
cp "$build/host/vesk.exe" "$build/host/vesk-capture.exe" "$stage/"
# strip stamps the PE header with SOURCE_DATE_EPOCH, or else with the time it runs: the commit's time it is.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH
x86_64-w64-mingw32-strip "$stage/vesk.exe" "$stage/vesk-capture.exe"
sed 's/$/\r/' >"$stage/README.txt" <<TEXT
Vesk $version for Windows (64-bit)

vesk.exe plays the show. The launch dialog lists the display modes: pick one, tick "Windowed"
to play in a window or "Nosound" for silence, and press "Run Demo" (or Enter). Escape or
closing the window ends the show. Without a sound device the music plays silently and the
pictures still change with it.

vesk-capture.exe plays the show on a simulated clock, much faster than real time, and writes
what it presents. Run it from a command prompt:

  vesk-capture.exe --frames out --from 20 --to 25 --size 640x400
  vesk-capture.exe --audio show.wav
  vesk-capture.exe --trace show.trc

vesk-capture.exe --help lists every option. --video needs the ffmpeg program; where it
cannot be run, vesk-capture.exe says so: write --frames and --audio instead and encode them
with a video tool of your choice.

Both programs are self-contained and need no installation. THIRD-PARTY-NOTICES.txt
holds the licences of the libraries compiled into them.
TEXT
scripts/third-party-notices.sh windows | sed 's/$/\r/' >"$stage/THIRD-PARTY-NOTICES.txt"
zip=$dist/vesk-$version-windows-x64.zip
rm -f "$dist/vesk-windows-x64.zip" "$dist"/vesk-*-windows-x64.zip
scripts/pack-zip.sh "$zip" "$stage"
step "packing"
echo "$zip"
