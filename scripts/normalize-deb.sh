#!/usr/bin/env bash
# Rewrites a .deb so that its bytes depend only on its files' contents: every file dated SOURCE_DATE_EPOCH (cpack
# keeps the build's times), owned by root, the archive's entries in name order (dpkg-deb sorts them and dates
# the ar members and clamps the entries by SOURCE_DATE_EPOCH).
#   SOURCE_DATE_EPOCH=<seconds> scripts/normalize-deb.sh <package.deb> <output.deb>
set -euo pipefail
input=${1:?usage: normalize-deb.sh PACKAGE OUTPUT}
output=${2:?usage: normalize-deb.sh PACKAGE OUTPUT}
: "${SOURCE_DATE_EPOCH:?normalize-deb.sh needs SOURCE_DATE_EPOCH}"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -R "$input" "$tree/root"
chmod 755 "$tree/root"
find "$tree/root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
dpkg-deb --root-owner-group -Zxz -z9 --build "$tree/root" "$output" >/dev/null
