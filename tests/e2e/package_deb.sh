#!/usr/bin/env bash
# The .deb that CPack builds: the program and its installed files under /usr,
# the copyright file, changelog and man page Debian expects, dependencies
# found by dpkg-shlibdeps plus the Wayland platform plugin, and nothing for
# lintian to report (errors or warnings).
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
  ./usr/share/metainfo/app.ostrel.brimkit.metainfo.xml \
  ./usr/share/doc/ostrel-brimkit/copyright ./usr/share/doc/ostrel-brimkit/changelog.gz \
  ./usr/share/man/man1/ostrel-brimkit.1.gz | sort >"$work/expected"
diff -u "$work/expected" "$work/contents" || fail "package contents differ"
echo "ok: the package holds the program, its entries and its documentation"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libcanberra0* && $depends == *qt6-wayland* ]] \
  || fail "dependencies not from the program: $depends"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/app.ostrel.brimkit.desktop \
  | grep -qx 'Exec=/usr/bin/ostrel-brimkit' || fail "the desktop entry does not start /usr/bin/ostrel-brimkit"
echo "ok: dependencies come from the linked libraries and the entries name /usr/bin"

lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian reports errors or warnings"; }
echo "ok: lintian reports no errors and no warnings"
echo "3 passed, 0 failed"
