#!/usr/bin/env bash
# Builds the release twice from the repository's current commit, in two clones at different paths and at different
# times, and expects byte-identical artefacts. Uncommitted changes are not part of it. When they differ, both
# builds are kept and the message says how to see why (diffoscope).
# Usage: reproducible_test.sh <repository>
set -euo pipefail
src=${1:?usage: reproducible_test.sh REPOSITORY}
work=$(mktemp -d "${TMPDIR:-/tmp}/vesk-reproducible.XXXXXX")
first=$work/first
second=$work/second/a/longer/path
git clone -q --no-hardlinks "$src" "$first"
git clone -q --no-hardlinks "$src" "$second"

"$first/scripts/release.sh" >"$work/first.log" 2>&1 || { tail -40 "$work/first.log"; exit 1; }
"$second/scripts/release.sh" >"$work/second.log" 2>&1 || { tail -40 "$work/second.log"; exit 1; }

echo "first build:"
cat "$first/dist/SHA256SUMS"
echo "second build:"
cat "$second/dist/SHA256SUMS"
if ! cmp -s "$first/dist/SHA256SUMS" "$second/dist/SHA256SUMS"; then
  echo "FAIL: the two builds differ; both are kept in $work. See what differs with" >&2
  echo "  diffoscope $first/dist/<artefact> $second/dist/<artefact>" >&2
  exit 1
fi
(cd "$second/dist" && sha256sum --quiet -c SHA256SUMS)
rm -rf "$work"
echo "reproducible: the two release builds are byte-identical"
