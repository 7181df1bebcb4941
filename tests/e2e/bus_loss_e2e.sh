#!/usr/bin/env bash
# End to end: the session bus dies under the running app (its daemon killed,
# so the app's name and every service go with it). The app says so in its log
# and quits through the same steps as Quit, with exit status 0: an alarm-file
# save still on its way when the bus went (held back by another process's
# lock on the file) finishes first, and a file with nothing to save is left
# byte for byte. Each round runs under a dbus-daemon of its own with no
# service folders, so nothing is started on demand.
#
#   bus_loss_e2e.sh APP [ROUNDS]   (ROUNDS default 1)
set -euo pipefail
app=$1 rounds=${2:-1}

source "$(dirname "$0")/headless.sh"
if [[ -z "${BRIMKIT_HEADLESS_INNER:-}" ]]; then
  export BRIMKIT_HEADLESS_INNER=1
  exec "$(dirname "$0")/with-xvfb" "$0" "$@"
fi

scratch
isolate_home
unset QT_QPA_PLATFORM
folder=$work/data/app.ostrel.brimkit
file=$folder/alarms.json
mkdir -p "$folder"

fail() {
  echo "FAIL (round $round): $*"
  echo "--- alarm file"; cat "$file" 2>/dev/null || true; echo
  echo "--- app log"; tail -n 40 "$work/app.log" 2>/dev/null || true
  [[ -z ${app_pid:-} ]] || kill -KILL "$app_pid" 2>/dev/null || true # never left to later tests
  exit 1
}

start_bus() {
  cat >"$work/bus.conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:dir=$work</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy>
</busconfig>
XML
  : >"$work/address"
  dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/address" 2>/dev/null &
  bus_pid=$!
  pids+=($bus_pid)
  wait_for 5 grep -q . "$work/address" || fail "dbus-daemon did not start"
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/address")
}
app_up() { [[ -n "$(app_bus_name)" ]]; }
start_app() {
  : >"$work/app.log"
  "$app" >"$work/app.log" 2>&1 9>&- &
  app_pid=$!
  pids+=($app_pid)
  wait_for 15 app_up || fail "app did not come up"
}
# Kills the bus; the app must log it and end with status 0.
lose_bus() {
  kill -KILL "$bus_pid"
  wait "$bus_pid" 2>/dev/null || true
  wait_for 10 grep -q 'the session bus is gone' "$work/app.log" || fail "the app did not notice the bus was gone"
}
app_exit() {
  local status=0
  wait "$app_pid" || status=$?
  [[ $status == 0 ]] || fail "the app exited with $status"
}
alarms() { # <python expression over the parsed archive `a`>
  python3 -c 'import json, sys; a = json.load(open(sys.argv[1])); sys.exit(0 if eval(sys.argv[2]) else 1)' "$file" "$1"
}

for ((round = 1; round <= rounds; round++)); do
  # One alarm that fell due while the app was closed: loading it records the
  # firing, which is a save.
  past=$(python3 -c 'import time; print(time.time() - 978307200 - 60)')
  printf '{"version":1,"alarms":[{"id":"5F0C2E7A-4B1D-4C39-9E4A-2D7B8C6A1F03","title":"Stand up","date":%s,"timeZoneID":"UTC"}]}' \
    "$past" >"$file"
  start_bus
  # Another process holds the file's lock: the app's load, and the save after
  # it, wait until it is given back.
  exec 9>"$file.lock"
  flock 9
  start_app
  lose_bus
  sleep 0.5
  kill -0 "$app_pid" 2>/dev/null || fail "the app quit before its pending save"
  flock -u 9
  exec 9>&-
  app_exit
  alarms 'len(a["alarms"]) == 1 and isinstance(a["alarms"][0].get("firedAt"), (int, float))' \
    || fail "the save pending at the bus loss did not finish"
  ((round > 1)) || echo "ok: the bus loss was logged, the pending save finished, the app quit with status 0"

  # Nothing to save: the file is left as it was, byte for byte.
  cp "$file" "$work/before.json"
  start_bus
  start_app
  lose_bus
  app_exit
  cmp -s "$file" "$work/before.json" || fail "the alarm file changed"
  leftovers=$(find "$folder" -mindepth 1 -not -name alarms.json -not -name alarms.json.lock)
  [[ -z $leftovers ]] || fail "left behind: $leftovers"
  flock -n "$file.lock" true || fail "the alarm file's lock is still held"
  ((round > 1)) || echo "ok: with nothing to save the alarm file is unchanged and unlocked"
done
echo "1 passed, 0 failed ($rounds rounds)"
