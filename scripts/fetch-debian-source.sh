#!/usr/bin/env bash
# Fetches and unpacks one of Debian's source packages, for the cross builds (Windows, web) that build a library
# from the very source the Linux build links against.
#
#   scripts/fetch-debian-source.sh PACKAGE VERSION DEST [any]
#
# Unpacks into DEST/PACKAGE-VERSION and prints that folder; nothing is fetched when it is already there. With
# "any", a version the archive no longer serves gives way to the newest one it does serve of the same release
# (for libraries whose output does not depend on the exact version); the folder is then named after that one.
# The system's apt configuration is never changed: a private sources list and lists folder live under DEST.
set -euo pipefail

package=${1:?usage: fetch-debian-source.sh PACKAGE VERSION DEST [any]}
version=${2:?usage: fetch-debian-source.sh PACKAGE VERSION DEST [any]}
dest=${3:?usage: fetch-debian-source.sh PACKAGE VERSION DEST [any]}
fallback=${4:-}
if [ -f "$dest/$package-$version/.unpacked" ]; then
  echo "$dest/$package-$version"
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

echo "fetch-debian-source: fetching Debian's $package $version source" >&2
apt-get -q "${apt_options[@]}" update >&2
candidates=("$version")
if [ "$fallback" = any ]; then
  candidates+=($(apt-cache "${apt_options[@]}" showsrc "$package" | sed -n 's/^Version: //p' | sort -ruV))
fi
fetched=""
for v in "${candidates[@]}"; do
  if (cd "$apt_dir" && apt-get -q "${apt_options[@]}" source --download-only "$package=$v" >&2); then
    fetched=$v
    break
  fi
  rm -f "$apt_dir/${package}_"*
done
if [ -z "$fetched" ]; then
  echo "fetch-debian-source: the archive serves no $package source of version $version" >&2
  exit 1
fi
[ "$fetched" = "$version" ] || echo "fetch-debian-source: $package $version is gone; using $fetched" >&2

out=$dest/$package-$fetched
rm -rf "$out"
dpkg-source --no-check -x "$apt_dir/${package}_"*.dsc "$out" >&2
touch "$out/.unpacked"
echo "$out"
