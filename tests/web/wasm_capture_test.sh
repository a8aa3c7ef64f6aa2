#!/usr/bin/env bash
# The wasm vesk-capture, run under node, writes the same whole-show trace as the native one, byte for byte.
#
#   wasm_capture_test.sh NATIVE_CAPTURE WASM_CAPTURE_JS [OPTIONS...]
set -euo pipefail
native=$1
wasm=$2
shift 2
if ! command -v node >/dev/null; then
  echo "SKIP: node is not installed"
  exit 77
fi
if [ ! -f "$wasm" ]; then
  echo "FAIL: $wasm is missing; run scripts/build-web.sh" >&2
  exit 1
fi
native_sum=$("$native" "$@" --trace - | sha256sum)
wasm_sum=$(node "$wasm" "$@" --trace - 2>/dev/null | sha256sum)
echo "native: $native_sum"
echo "wasm:   $wasm_sum"
[ "$native_sum" = "$wasm_sum" ]
