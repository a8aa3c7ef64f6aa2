#!/usr/bin/env bash
# Installs the build into a staging folder and checks the programs, the desktop entry and its icon.
# Usage: install_e2e.sh <build folder> <staging folder>
set -euo pipefail
build=${1:?usage: install_e2e.sh <build folder> <staging folder>}
stage=${2:?usage: install_e2e.sh <build folder> <staging folder>}
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for program in vesk vesk-capture; do
  [ -x "$stage/bin/$program" ] || fail "bin/$program is not installed"
done
"$stage/bin/vesk" --help | grep -q '^Usage: vesk' || fail "the installed vesk does not answer --help"
entry="$stage/share/applications/vesk.desktop"
[ -f "$entry" ] || fail "no desktop entry"
grep -q '^Exec=vesk$' "$entry" || fail "the desktop entry does not start vesk"
grep -q '^Icon=vesk$' "$entry" || fail "the desktop entry names another icon"
[ -f "$stage/share/icons/hicolor/128x128/apps/vesk.png" ] || fail "no icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "the desktop entry is not valid"
fi
echo "installed: bin/vesk, bin/vesk-capture, the desktop entry and its icon"
