#!/usr/bin/env bash
# The install and the Debian package of a built tree: every file where the system expects it,
# the installed trvcfg runs, the desktop entry and the metadata validate, the .deb builds and
# lintian finds no error.   check_package.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
app_id=com.korvanex.trvconfig
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/root/usr
expected=(
  bin/trv-config bin/trvcfg bin/m16c-sim
  share/trv-config/TRV_CFG.PDF
  share/applications/$app_id.desktop
  share/metainfo/$app_id.metainfo.xml
  share/icons/hicolor/scalable/apps/trv-config.svg
  share/man/man1/trv-config.1.gz share/man/man1/trvcfg.1.gz share/man/man1/m16c-sim.1.gz
  share/doc/trv-config/copyright share/doc/trv-config/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/trv-config.png")
done
missing=0
for file in "${expected[@]}"; do
  [ -s "$root/$file" ] || { echo "install lacks $file" >&2; missing=1; }
done
[ "$missing" -eq 0 ]

"$root/bin/trvcfg" --version | head -n 1 | grep -qx "trvcfg $version"
desktop-file-validate "$root/share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/$app_id.metainfo.xml" >/dev/null

(cd "$build" && cpack -G DEB -B "$stage/package" >/dev/null)
deb=$(ls "$stage"/package/trv-config_"$version"_*.deb)
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
