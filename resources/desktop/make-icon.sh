#!/usr/bin/env bash
# Makes the desktop icon vesk.png from the launch dialog's logo (run again when the logo changes).
set -euo pipefail
cd "$(dirname "$0")"
convert ../dialog/logo.bmp -resize 128x128 -background black -gravity center -extent 128x128 -strip vesk.png
