#!/usr/bin/env bash
# A due notification reaches a real notification daemon (dunst) and is shown.
set -euo pipefail
probe=$1

source "$(dirname "$0")/../e2e/headless.sh"
run_headless "$0" "$@"

work=$(mktemp -d)
dunst_pid=
cleanup() {
  [[ -n "$dunst_pid" ]] && kill "$dunst_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p -m 700 "$work/run" "$work/config"
export QT_QPA_PLATFORM=offscreen

fail() {
  echo "FAIL: $*"
  echo "--- dunst log"; cat "$work/dunst.log" || true
  exit 1
}
displayed() { dunstctl count displayed 2>/dev/null; }

dunst >"$work/dunst.log" 2>&1 &
dunst_pid=$!
wait_for 10 notifications_up || fail "dunst did not take the notification service"
[[ "$(displayed)" == 0 ]] || fail "dunst shows something before the test"

"$probe" >"$work/probe.log" 2>&1 &
probe_pid=$!
sleep 0.2
[[ "$(displayed)" == 0 ]] || fail "shown before it was due"
wait "$probe_pid" || { cat "$work/probe.log"; fail "probe reported no delivery"; }
wait_for 5 [ "$(displayed)" == 1 ] || fail "dunst displays $(displayed) notifications, expected 1"
echo "PASS"
