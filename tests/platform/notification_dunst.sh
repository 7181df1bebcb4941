#!/usr/bin/env bash
# A due notification reaches a real notification daemon (dunst) and is shown.
set -euo pipefail
probe=$1

if [[ -z "${BRIMKIT_DUNST_INNER:-}" ]]; then
  export BRIMKIT_DUNST_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$@"
fi

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
wait_for() { # <seconds> <command...>
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}
server_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.Notifications 2>/dev/null | grep -q true
}
displayed() { dunstctl count displayed 2>/dev/null; }

dunst >"$work/dunst.log" 2>&1 &
dunst_pid=$!
wait_for 10 server_up || fail "dunst did not take the notification service"
[[ "$(displayed)" == 0 ]] || fail "dunst shows something before the test"

"$probe" >"$work/probe.log" 2>&1 &
probe_pid=$!
sleep 0.2
[[ "$(displayed)" == 0 ]] || fail "shown before it was due"
wait "$probe_pid" || { cat "$work/probe.log"; fail "probe reported no delivery"; }
wait_for 5 [ "$(displayed)" == 1 ] || fail "dunst displays $(displayed) notifications, expected 1"
echo "PASS"
