#!/usr/bin/env bash
# Serves the web page built by scripts/build-web.sh (dist/web/) on this machine only, for a browser to open.
#
#   scripts/serve-web.sh [PORT]     # default 8015; then open http://127.0.0.1:PORT/
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8015}
if [ ! -f dist/web/index.html ]; then
  echo "serve-web: dist/web/ is not built; run scripts/build-web.sh first" >&2
  exit 1
fi
echo "serve-web: http://127.0.0.1:$port/ (Ctrl+C stops)" >&2
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory dist/web
