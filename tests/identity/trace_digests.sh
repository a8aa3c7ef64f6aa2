#!/usr/bin/env bash
# Whole-show traces and one span of PNG frames, hashed and compared with the digests stored beside this script.
#   trace_digests.sh VESK_CAPTURE LIBOPENMPT_VERSION WORK_DIR [--record]
# A digest of a run with sound holds for the libopenmpt version it was stored with (the module's order changes
# come from it); under another version those lines are reported and left unchecked. --record rewrites the file.
set -euo pipefail
capture=$1 openmpt=$2 work=$3 record=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
stored=$here/trace_digests.txt
mkdir -p "$work"

# name|needs the music's version|options
cases=(
  "trace-60fps-nosound|no|--fps 60 --startup-ms 0 --nosound --trace -"
  "trace-70fps-500ms-nosound|no|--fps 70 --startup-ms 500 --nosound --trace -"
  "trace-60fps-sound|yes|--fps 60 --startup-ms 0 --trace -"
  "trace-70fps-500ms-sound|yes|--fps 70 --startup-ms 500 --trace -"
  "png-span-20s-640x400|no|--fps 60 --nosound --from 20 --to 20.5 --size 640x400 --frames FRAMES"
)

digest_of() {
  local options=$1
  if [[ $options == *FRAMES* ]]; then
    local frames=$work/frames
    rm -rf "$frames"
    # shellcheck disable=SC2086
    "$capture" ${options/FRAMES/$frames} >/dev/null
    (cd "$frames" && ls | LC_ALL=C sort | xargs sha256sum) | sha256sum | cut -d' ' -f1
  else
    # shellcheck disable=SC2086
    "$capture" $options | sha256sum | cut -d' ' -f1
  fi
}

if [ "$record" = --record ]; then
  {
    echo "# Stored by tests/identity/trace_digests.sh --record: name, SHA-256, the libopenmpt version it holds for"
    for entry in "${cases[@]}"; do
      IFS='|' read -r name versioned options <<<"$entry"
      version=-
      [ "$versioned" = yes ] && version=$openmpt
      echo "$name $(digest_of "$options") $version"
    done
  } >"$stored.new"
  mv "$stored.new" "$stored"
  cat "$stored"
  exit 0
fi

failed=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name versioned options <<<"$entry"
  read -r _ want version < <(grep "^$name " "$stored") || { echo "$name: no stored digest"; failed=1; continue; }
  if [ "$version" != - ] && [ "$version" != "$openmpt" ]; then
    echo "$name: stored for libopenmpt $version, this build has $openmpt; not checked"
    continue
  fi
  got=$(digest_of "$options")
  if [ "$got" = "$want" ]; then
    echo "$name: $got as stored"
  else
    echo "$name: $got, stored $want"
    failed=1
  fi
done
exit $failed
