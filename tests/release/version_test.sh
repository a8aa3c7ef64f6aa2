#!/usr/bin/env bash
# The version the build stamps: plain outside git and on the commit tagged v<version>, +g<commit> otherwise,
# -dirty for a modified tree; the header is left alone while the version stays; both programs print it alike.
# Usage: version_test.sh <cmake/Version.cmake> <vesk> <vesk-capture> <the build's vesk_version.h>
set -euo pipefail
script=$1 vesk=$2 capture=$3 header=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

stamp() {  # prints the version the script writes for the folder $work/repo, project version 2.3
  cmake -DSOURCE_DIR="$work/repo" -DPROJECT_VERSION=2.3 -DOUTPUT="$work/v.h" -P "$script"
  sed -n 's/^#define VESK_VERSION "\(.*\)"$/\1/p' "$work/v.h"
}
expect() {
  local got
  got=$(stamp)
  [ "$got" = "$1" ] || fail "$2: expected '$1', got '$got'"
}

mkdir "$work/repo"
echo one >"$work/repo/file"
expect 2.3 "no repository"
grep -q '^#define VESK_VERSION_NUMBERS 2, 3, 0, 0$' "$work/v.h" || fail "numbers: $(cat "$work/v.h")"

git -C "$work/repo" init -q
git -C "$work/repo" add file
git -C "$work/repo" -c user.name=t -c user.email=t@t commit -qm one
hash=$(git -C "$work/repo" rev-parse HEAD | cut -c1-7)
expect "2.3+g$hash" "a commit"
touch -d '2001-01-01' "$work/v.h"
stamp >/dev/null
[ "$(stat -c %Y "$work/v.h")" = "$(date -d 2001-01-01 +%s)" ] || fail "an unchanged version rewrote the header"

echo untracked >"$work/repo/other"
expect "2.3+g$hash" "an untracked file"
echo two >"$work/repo/file"
expect "2.3+g$hash-dirty" "a modified file"
git -C "$work/repo" checkout -q file
git -C "$work/repo" tag v2.2
expect "2.3+g$hash" "another version's tag"
git -C "$work/repo" tag v2.3
expect 2.3 "the version's tag"
echo two >"$work/repo/file"
expect "2.3+g$hash-dirty" "the version's tag, modified"

# The programs print the version their build stamped.
built=$(sed -n 's/^#define VESK_VERSION "\(.*\)"$/\1/p' "$header")
for program in "$vesk" "$capture"; do
  out=$("$program" --version) || fail "$program --version failed"
  [ "$out" = "vesk $built" ] || fail "$program --version said '$out', the build stamped '$built'"
done
echo "version: the script's cases hold; both programs say vesk $built"
