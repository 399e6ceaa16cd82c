#!/usr/bin/env bash
# The Debian package from this build tree: what it holds, that its desktop
# entry and AppStream file validate, and that it runs unpacked in a scratch root.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/zqtemp_*.deb)
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/zqtemp ./usr/bin/zqcli ./usr/share/applications/zqtemp.desktop \
  ./usr/share/icons/hicolor/scalable/apps/zqtemp.svg ./usr/share/icons/hicolor/48x48/apps/zqtemp.png \
  ./usr/share/icons/hicolor/256x256/apps/zqtemp.png ./usr/share/mime/packages/zqtemp.xml \
  ./usr/share/metainfo/com.example.lorvant.zqtemp.metainfo.xml; do
  grep -q " $path\$" <<<"$contents" || { echo "missing from the package: $path"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "Depends lacks the Qt libraries: $depends"; exit 1; }
desktop-file-validate "$source/packaging/zqtemp.desktop"
appstreamcli validate --no-net "$source/packaging/com.example.lorvant.zqtemp.metainfo.xml" >/dev/null
dpkg -x "$deb" "$work/root"
version=$(env -u DISPLAY "$work/root/usr/bin/zqtemp" --version)
[ "$version" = "zqtemp 1.0" ] || { echo "zqtemp --version said: $version"; exit 1; }
"$work/root/usr/bin/zqcli" --version >/dev/null
echo "package ok: $(basename "$deb")"
