#!/usr/bin/env bash
# Runs one Windows test program under Wine, in the shared test prefix, and passes on its status.
# Usage: run_under_wine.sh <program.exe> <wine folder> [arguments...]
set -uo pipefail
program=${1:?usage: run_under_wine.sh <program.exe> <wine folder> [arguments...]}
wine_folder=${2:?}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$program" 2>/dev/null || echo "$program")
[ -f "$program" ] || { echo "FAIL: $program is missing: build it with scripts/build-windows.sh" >&2; exit 1; }
. "$here/wine_env.sh" "$wine_folder" || exit $?
unset DISPLAY
cd "$(dirname "$wine_folder")"
"$WINE" "$program" "$@" | tr -d '\r'
exit "${PIPESTATUS[0]}"
