#!/usr/bin/env bash
# The .deb that CPack builds: the five installed files under /usr, and
# dependencies found by dpkg-shlibdeps.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort >"$work/contents"
printf '%s\n' ./usr/bin/ostrel-brimkit ./usr/share/applications/app.ostrel.brimkit.desktop \
  ./usr/share/dbus-1/services/app.ostrel.brimkit.service \
  ./usr/share/icons/hicolor/scalable/apps/app.ostrel.brimkit.svg \
  ./usr/share/metainfo/app.ostrel.brimkit.metainfo.xml | sort >"$work/expected"
diff -u "$work/expected" "$work/contents" || fail "package contents differ"
echo "ok: the package holds the five files"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libcanberra0* ]] || fail "dependencies not from the program: $depends"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/app.ostrel.brimkit.desktop \
  | grep -qx 'Exec=/usr/bin/ostrel-brimkit' || fail "the desktop entry does not start /usr/bin/ostrel-brimkit"
echo "ok: dependencies come from the linked libraries and the entries name /usr/bin"
echo "2 passed, 0 failed"
