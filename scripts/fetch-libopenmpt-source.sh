#!/usr/bin/env bash
# Fetches and unpacks Debian's own source package of the libopenmpt that Linux builds link
# against, for the cross builds (Windows, web) that need the very same version.
#
#   scripts/fetch-libopenmpt-source.sh DEST
#
# Prints the unpacked source folder. The system's apt configuration is never changed: a
# private sources list and lists folder live under DEST. Nothing is fetched again when the
# source is already unpacked there.
set -euo pipefail

dest=${1:?usage: fetch-libopenmpt-source.sh DEST}
version=$(dpkg-query -W -f='${source:Version}' libopenmpt-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  echo "fetch-libopenmpt-source: libopenmpt-dev is not installed; run scripts/install-deps.sh" >&2
  exit 1
fi
upstream=${version%-*}
upstream=${upstream#*:}
source_dir=$dest/libopenmpt-$upstream
if [ -f "$source_dir/configure" ]; then
  echo "$source_dir"
  exit 0
fi

mkdir -p "$dest"
apt_dir=$(mktemp -d "$dest/apt.XXXXXX")
trap 'rm -rf "$apt_dir"' EXIT
mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
cat >"$apt_dir/sources.list" <<EOF
deb-src http://deb.debian.org/debian $codename main
deb-src http://deb.debian.org/debian $codename-updates main
deb-src http://deb.debian.org/debian-security $codename-security main
EOF
apt_options=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=$apt_dir/parts"
  -o "Dir::State::Lists=$apt_dir/lists" -o "APT::Sandbox::User=root")

echo "fetch-libopenmpt-source: fetching Debian's libopenmpt $version source" >&2
apt-get -q "${apt_options[@]}" update >&2
(cd "$apt_dir" && apt-get -q "${apt_options[@]}" source --download-only "libopenmpt=$version" >&2)
rm -rf "$source_dir"
dpkg-source --no-check -x "$apt_dir"/libopenmpt_*.dsc "$source_dir" >&2
echo "$source_dir"
