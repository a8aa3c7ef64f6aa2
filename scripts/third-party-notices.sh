#!/usr/bin/env bash
# Prints the THIRD-PARTY-NOTICES of one of the release's artefacts: the licence of every library compiled or
# statically linked into its programs, and of the data they embed, as the Debian packages they come from state it
# (/usr/share/doc/<package>/copyright).
#
#   scripts/third-party-notices.sh linux|windows|web
#
# linux: the .deb's programs link their libraries dynamically; CLI11 (headers) and the embedded data remain.
# The page's program has no command line: no CLI11 there.
# windows: also libopenmpt, libpng and zlib (cross-built from Debian's sources), the MinGW-w64 runtime with its
# winpthreads, and GCC's runtime libraries (libgcc, libstdc++), all linked statically.
# web: also libopenmpt and emscripten's runtime (its libc, libc++ and JavaScript support code).
set -euo pipefail
artefact=${1:?usage: third-party-notices.sh linux|windows|web}

# name, Debian package whose copyright file holds the licence, and what the artefact takes from it.
cli11="CLI11|libcli11-dev|the command-line parser of both programs, compiled in from its headers"
case "$artefact" in
  linux) entries=("$cli11") ;;
  windows)
    entries=("$cli11"
      "libopenmpt|libopenmpt0|the music player, Debian's source cross-built and linked statically"
      "libpng|libpng16-16|the PNG writer of vesk-capture.exe, Debian's source cross-built and linked statically"
      "zlib|libz-mingw-w64-dev|the compression under libpng, linked statically"
      "MinGW-w64 runtime and winpthreads|mingw-w64-x86-64-dev|the C runtime start-up, its support code and the POSIX threads library, linked statically"
      "GCC runtime libraries|gcc-mingw-w64-base|libgcc and libstdc++, linked statically (GCC Runtime Library Exception)")
    ;;
  web)
    entries=(
      "libopenmpt|libopenmpt0|the music player, Debian's source built with emscripten into the page's program, its loader table trimmed to XM"
      "emscripten runtime|emscripten|the page program's C and C++ libraries (musl, libc++, libc++abi, compiler-rt) and its JavaScript support code")
    ;;
  *) echo "third-party-notices: unknown artefact '$artefact' (linux, windows or web)" >&2; exit 2 ;;
esac
# The show's text font is the first half of console-data's iso01a-8x8 font; its logo and pictures carry text
# drawn with the DejaVu fonts (tools/).
entries+=(
  "console-data (iso01a-8x8 font)|console-data|the show's 8x8 text font, embedded as data"
  "DejaVu fonts|fonts-dejavu-core|lettering drawn with DejaVu Sans in the show's logo and pictures, embedded as data")

cat <<TEXT
THIRD-PARTY NOTICES

The programs of this Vesk package contain the third-party software and data listed below. Each one's
copyright and licence follow in full, as the Debian package it comes from states them.

TEXT
for entry in "${entries[@]}"; do
  IFS='|' read -r name package use <<<"$entry"
  echo "  - $name: $use (Debian package $package)"
done
for entry in "${entries[@]}"; do
  IFS='|' read -r name package use <<<"$entry"
  file=/usr/share/doc/$package/copyright
  if [ ! -f "$file" ]; then
    echo "third-party-notices: $file is missing; scripts/install-deps.sh installs $package" >&2
    exit 1
  fi
  printf '\n\n%s\n%s\n%s\n\n' "================================================================================" \
    "$name ($package)" "================================================================================"
  cat "$file"
done
