#!/usr/bin/env bash
# Installs the Debian packages Vesk needs to build, play, capture and test; returns at once when all are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libopenmpt-dev libgtk-3-dev libpng-dev libcli11-dev
  libfreetype-dev zlib1g-dev fonts-dejavu-core console-data
  ffmpeg sox xvfb xdotool x11-utils imagemagick desktop-file-utils
  # Wayland: the client library the seat check links, and the compositor the Wayland test plays under.
  libwayland-dev weston
  # Mesa's GL drivers: the accelerated presentation path, tested on its CPU rasteriser.
  libgl1-mesa-dri libegl1 libx11-dev
  # The Windows build (cross-compiled, tested under Wine) and the web build (emscripten, tested in headless
  # Chromium and Firefox, Firefox's sound going to a PulseAudio null sink); dpkg-dev unpacks libopenmpt's source.
  dpkg-dev zip unzip
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev wine64 wine
  emscripten chromium firefox-esr pulseaudio
  # The trace reader's fuzzer (tests/fuzz/run_fuzz.sh): clang with libFuzzer and the sanitizers' runtimes.
  clang libclang-rt-14-dev
  # The release (scripts/release.sh): man pages from --help, the package's checks, reproducible archives.
  help2man lintian strip-nondeterminism
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# npm installs the web page's browser-test driver; a node packaged with npm already has it.
if ! command -v npm >/dev/null; then
  missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
