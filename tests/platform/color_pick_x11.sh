#!/usr/bin/env bash
# The X11 colour overlay under Xvfb: a click on a window of a known colour
# gives that colour's hex; Escape cancels. Pictures go to the given folder.
set -euo pipefail
probe=$1 shots=$2

source "$(dirname "$0")/../e2e/headless.sh"
run_headless "$0" "$@"

work=$(mktemp -d)
probe_pid=
cleanup() {
  [[ -n "$probe_pid" ]] && kill "$probe_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
isolate_home
export QT_QPA_PLATFORM=xcb

fail() {
  echo "FAIL: $*"
  echo "--- probe log"; cat "$work/probe.log" || true
  exit 1
}
overlay_up() { xdotool search --onlyvisible --name '^Pick a color$' >/dev/null 2>&1; }
said() { grep -qx "$1" "$work/probe.log"; }

"$probe" >"$work/probe.log" 2>&1 &
probe_pid=$!

wait_for 15 overlay_up || fail "no overlay for the first pick"
xdotool mousemove 250 200
import -window root "$shots/color-pick-overlay.png"
xdotool click 1
wait_for 5 said "picked #3C8A1F" || fail "the click did not pick the window's colour"
echo "ok: picked #3C8A1F"

wait_for 10 overlay_up || fail "no overlay for the second pick"
xdotool key Escape
wait_for 5 said "cancelled" || fail "Escape did not cancel"
echo "ok: Escape cancels"
wait "$probe_pid" || fail "probe exited with $?"
probe_pid=
echo "PASS"
