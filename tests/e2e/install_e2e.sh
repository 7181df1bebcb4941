#!/usr/bin/env bash
# End to end from an installation: `cmake --install` into a temporary prefix
# gives valid desktop and AppStream files; the installed program docks in the
# tray, launch at login writes an autostart entry that starts it, and its D-Bus
# service starts it on demand. Run from the build folder it explains that it
# must be installed. Screenshots go to <build>/screenshots.
set -euo pipefail
build=$1

source "$(dirname "$0")/headless.sh"
if [[ -z "${BRIMKIT_HEADLESS_INNER:-}" ]]; then
  BRIMKIT_INSTALL_WORK=$(mktemp -d)
  export BRIMKIT_INSTALL_WORK
  # The session bus reads its service folders when it starts.
  export XDG_DATA_DIRS=$BRIMKIT_INSTALL_WORK/prefix/share:/usr/local/share:/usr/share
fi
run_headless "$0" "$@"

work=$BRIMKIT_INSTALL_WORK
prefix=$work/prefix
shots=$build/screenshots
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  echo "--- app log"; tail -n 40 "$work/app.log" 2>/dev/null || true
  exit 1
}
isolate_home
unset QT_QPA_PLATFORM
mkdir -p "$shots"
entry=$XDG_CONFIG_HOME/autostart/app.ostrel.brimkit.desktop

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "install failed"
desktop-file-validate "$prefix/share/applications/app.ostrel.brimkit.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$prefix/share/metainfo/app.ostrel.brimkit.metainfo.xml" >"$work/appstream.log" \
  || { cat "$work/appstream.log"; fail "AppStream metadata invalid"; }
echo "ok: installed files in place and valid"

start_trayer
settings_shown() { xdotool search --onlyvisible --name '^Update Settings$' >/dev/null 2>&1; }
popup_shown() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' >/dev/null 2>&1; }
start() { # <program>
  QT_LOGGING_RULES="ostrel.ui.debug=true" "$1" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
  wait_for 15 docked ostrel-brimkit || fail "$1 did not dock"
}
stop() {
  kill -TERM "$app_pid"; wait "$app_pid" || fail "app exited with $?"
}
# A second launch opens the panel on its first card; Customize tools comes
# before it. Its pane opens on the first of eight tool switches; three time
# alerts, nine shortcut recorders and the launch-at-login switch (only where
# it can be used) follow, then "Update Settings…". The window's first control
# is the launch-at-login switch.
open_update_settings() { # <program> <screenshot name> <launch at login usable: 1|0>
  "$1" || fail "second launch failed"
  wait_for 10 popup_shown || fail "no pop-up"
  xdotool key shift+Tab space
  sleep 0.3
  import -window root "$shots/install-$2-popup.png"
  xdotool key $(printf 'Tab %.0s' $(seq $((19 + $3)))) Tab space
  wait_for 10 settings_shown || fail "Update Settings did not open"
  sleep 0.3
  import -window root "$shots/install-$2-update-settings.png"
}

start "$prefix/bin/ostrel-brimkit"
echo "ok: the installed program docks"
open_update_settings "$prefix/bin/ostrel-brimkit" installed 1
xdotool key space
wait_for 10 test -s "$entry" || fail "no autostart entry written"
sleep 0.3
import -window root "$shots/install-installed-launch-at-login.png"
desktop-file-validate "$entry" || fail "autostart entry invalid"
grep -qx "Exec=$(realpath "$prefix/bin/ostrel-brimkit")" "$entry" || { cat "$entry"; fail "Exec is not the installed program"; }
echo "ok: launch at login writes a valid autostart entry for the installed program"
xdotool key space
wait_for 10 test ! -e "$entry" || fail "switching off kept the autostart entry"
stop

dbus-send --session --print-reply --dest=app.ostrel.brimkit /app/ostrel/brimkit app.ostrel.brimkit.StatusTitle \
  >/dev/null || fail "D-Bus activation did not start the app"
activated=$(pgrep -f "^$prefix/bin/ostrel-brimkit" || true)
[[ -n $activated ]] || fail "the activated process is not the installed program"
pids+=($activated)
kill -TERM "$activated"
echo "ok: the D-Bus service starts the installed program"

: >"$work/app.log"
start "$build/shell/ostrel-brimkit"
open_update_settings "$build/shell/ostrel-brimkit" build-folder 0
grep -q "Install this app and reopen it to enable launch at login." "$work/app.log" || fail "no install reason"
xdotool key space
sleep 0.5
[[ ! -e $entry ]] || fail "the build folder's program registered itself"
echo "ok: from the build folder launch at login asks for an installation"
stop
echo "4 passed, 0 failed"
