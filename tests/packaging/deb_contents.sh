#!/usr/bin/env bash
# The .deb made by CPack holds exactly the files that `cmake --install` installs, and
# those include everything a user of the package needs.
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/root" && find . ! -type d | sed 's#^\./#/#' | sort) >"$work/installed"

cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/package/*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's#^\./#/#' | sort >"$work/packaged"

if ! diff -u "$work/installed" "$work/packaged"; then
  echo "the package and cmake --install differ (- installed, + packaged)"
  exit 1
fi

missing=0
for f in /usr/bin/kv6830 /usr/bin/kv6830-capture \
         /usr/lib/libkv68dll.so /usr/lib/libout47.so \
         /usr/include/kv68dll.h /usr/include/out47.h \
         /usr/lib/udev/rules.d/60-kv6830.rules \
         /usr/share/applications/io.github.kv6830.kv6830.desktop \
         /usr/share/icons/hicolor/scalable/apps/io.github.kv6830.kv6830.svg \
         /usr/share/metainfo/io.github.kv6830.kv6830.metainfo.xml \
         /usr/share/doc/kv6830/manual.htm /usr/share/doc/kv6830/LICENSE \
         /usr/share/doc/kv6830/copyright \
         /usr/share/doc/kv6830/images/main-window.png; do
  grep -qx "$f" "$work/packaged" || { echo "the package lacks $f"; missing=1; }
done
# The package names what the program and the libraries link.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libusb-1.0-0; do
  [[ $depends == *"$d"* ]] || { echo "Depends lacks $d: $depends"; missing=1; }
done
exit $missing
