#!/usr/bin/env bash
# Builds the release's artefacts of the checked-out commit into dist/ and prints their sizes:
#   vesk_<version>_<arch>.deb          the Linux programs, man pages, desktop entry (cpack, checked by lintian)
#   vesk-<version>-windows-x64.zip     vesk.exe, vesk-capture.exe, README.txt, THIRD-PARTY-NOTICES.txt
#   vesk-<version>-web.zip             the web page's static folder with its THIRD-PARTY-NOTICES
#   SHA256SUMS                         their checksums, for sha256sum -c
# Two runs on the same commit give the same bytes, wherever the clone is and whenever it runs: the files are
# dated by the commit (SOURCE_DATE_EPOCH), the build folders are left out of the programs, and the archives hold
# their entries in a fixed order.
#   scripts/release.sh                 # builds in build-release/, writes dist/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build-release
dist=$root/dist
umask 022
export TZ=UTC LC_ALL=C.UTF-8

step_name=release
. "$root/scripts/step-timer.sh"

scripts/install-deps.sh
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
jobs=$(nproc)
mkdir -p "$build" "$dist"
rm -f "$dist"/vesk_*.deb "$dist"/vesk-*-windows-x64.zip "$dist"/vesk-*-web.zip "$dist/SHA256SUMS"

# Linux: the two programs and the package's documents; cpack installs without building everything first.
linux=$build/linux
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DVESK_BUILD_BENCH=OFF -DVESK_REPRODUCIBLE=ON \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$linux" -j"$jobs" --target vesk vesk-capture vesk_package_docs
version=$(sed -n 's/^#define VESK_VERSION "\(.*\)"$/\1/p' "$linux/version/vesk_version.h")
echo "release: version $version" >&2
rm -rf "$linux/cpack"
(cd "$linux" && cpack -G DEB -B "$linux/cpack" >/dev/null)
# cpack dates the package's files and members by SOURCE_DATE_EPOCH.
cp "$linux"/cpack/vesk_*.deb "$dist/"
deb=$(ls "$dist"/vesk_*.deb)
step "the Debian package"

# The packaged vesk-capture computes what the build's does.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
if ! cmp -s <("$unpacked/usr/bin/vesk-capture" --to 3 --nosound --trace -) \
    <("$linux/host/vesk-capture" --to 3 --nosound --trace -); then
  echo "release: the packaged vesk-capture's trace differs from the build's" >&2
  exit 1
fi
echo "release: the packaged vesk-capture writes the build's trace" >&2
lintian --fail-on error --info --pedantic --tag-display-limit 0 "$deb" >&2 || { echo "release: lintian found errors" >&2; exit 1; }
step "checking the package"

VESK_RELEASE=1 VESK_DIST="$dist" scripts/build-windows.sh "$build/windows" >/dev/null
step "the Windows zip"

page=$build/web-page
rm -rf "$page"
VESK_RELEASE=1 VESK_WEB_BUILD="$build/web" VESK_WEB_DIST="$page" JOBS=$jobs scripts/build-web.sh
web_version=$(sed -n 's/^#define VESK_VERSION "\(.*\)"$/\1/p' "$build/web/version/vesk_version.h")
scripts/pack-zip.sh "$dist/vesk-$web_version-web.zip" "$page" "vesk-$web_version-web/"
step "the web zip"

cd "$dist"
artefacts=("$(basename "$deb")" "vesk-$version-windows-x64.zip" "vesk-$version-web.zip")
for a in "${artefacts[@]}"; do
  [ -f "$a" ] || { echo "release: $a is missing (the builds disagree on the version?)" >&2; exit 1; }
done
sha256sum "${artefacts[@]}" >SHA256SUMS
echo "release: $dist" >&2
for a in "${artefacts[@]}" SHA256SUMS; do
  printf '%10d  %s\n' "$(stat -c %s "$a")" "$a"
done
