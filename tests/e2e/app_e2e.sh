#!/usr/bin/env bash
# End to end: the real binary under Xvfb with trayer. It docks its tray icon,
# a second launch exits and leaves one instance showing the pop-up, keep-awake
# takes an inhibitor from the (fake) portal, and SIGTERM ends the app cleanly
# with the inhibitor released.
set -euo pipefail
app=$1 portal=$2

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# No system bus: keep-awake must come from the portal.
isolate_home
unset QT_QPA_PLATFORM

fail() {
  echo "FAIL: $*"
  echo "--- portal log"; cat "$work/portal.log" || true
  echo "--- app log"; tail -n 60 "$work/app.log" || true
  echo "--- windows"; xwininfo -root -tree 2>/dev/null | grep -v 'has no name' | head -40 || true
  exit 1
}
instances() { pgrep -c -x -f "$app" || true; }
popup_visible() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' >/dev/null 2>&1; }

"$portal" >"$work/portal.log" 2>&1 &
pids+=($!)
wait_for 10 grep -qs ready "$work/portal.log" || fail "fake portal did not start"

trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
tray_ready() { xdotool search --classname panel >/dev/null 2>&1; }
wait_for 10 tray_ready || fail "trayer did not start"

"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
wait_for 15 docked || fail "tray icon did not dock"
echo "ok: tray icon docked"

"$app" || fail "second launch exited with $?"
[[ $(instances) == 1 ]] || fail "expected one instance, found $(instances)"
wait_for 10 popup_visible || fail "second launch did not open the pop-up"
echo "ok: second launch exited and opened the pop-up of the one instance"

# The pop-up focuses the keep-awake duration; Tab reaches Start.
xdotool key Tab space
wait_for 10 grep -q '^inhibit .* 4 Ostrel Brimkit keep awake$' "$work/portal.log" \
  || fail "keep-awake took no inhibitor"
echo "ok: keep-awake holds a suspend inhibitor"

kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[[ $status == 0 ]] || fail "app exited with $status after SIGTERM"
wait_for 5 grep -q '^close ' "$work/portal.log" || fail "inhibitor not released at SIGTERM"
echo "ok: SIGTERM quit cleanly and released the inhibitor"
echo "1 passed, 0 failed"
