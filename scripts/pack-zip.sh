#!/usr/bin/env bash
# Packs a folder's files into a zip that is the same, byte for byte, whenever the files are: every entry dated
# SOURCE_DATE_EPOCH (default: the last commit's time), in name order, with fixed permissions and no extra fields.
#
#   scripts/pack-zip.sh <zip> <folder> [<entry prefix>]   # entries are <prefix><path in folder>
set -euo pipefail
zip_file=$(realpath -m "${1:?usage: pack-zip.sh ZIP FOLDER [PREFIX]}")
folder=${2:?usage: pack-zip.sh ZIP FOLDER [PREFIX]}
prefix=${3:-}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null || date +%s)
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$prefix"
cp -r "$folder/." "$stage/$prefix"
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -type f -name '*.exe' -exec chmod 755 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$zip_file"
# zip stores local times: UTC makes them the same everywhere.
(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort | TZ=UTC zip -q -X -9 -D "$zip_file" -@)
if command -v strip-nondeterminism >/dev/null; then
  strip-nondeterminism --type zip --timestamp "$SOURCE_DATE_EPOCH" "$zip_file" >/dev/null
fi
