#!/usr/bin/env bash
# End to end: an alarm saved for shortly ahead survives a restart of the real
# app, fires on time as a desktop notification (a real dunst), the tray title
# reads "Alarm", and the alarm file stays valid JSON of version 1.
set -euo pipefail
app=$1
lead=${BRIMKIT_ALARM_LEAD:-30}

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

scratch
isolate_home
mkdir -p "$work/data/app.ostrel.brimkit"
unset QT_QPA_PLATFORM
file=$work/data/app.ostrel.brimkit/alarms.json

fail() {
  echo "FAIL: $*"
  echo "--- alarm file"; cat "$file" 2>/dev/null || true; echo
  echo "--- app log"; tail -n 40 "$work/app.log" 2>/dev/null || true
  exit 1
}
app_up() { [[ -n "$(title)" ]]; }
title_is() { [[ "$(title)" == "$1" ]]; }
shown() { (( $(dunstctl count displayed 2>/dev/null || echo 0) + $(dunstctl count history 2>/dev/null || echo 0) >= 1 )); }
file_check() { # <python expression over the parsed archive>
  python3 - "$file" "$1" <<'PY'
import json, sys
with open(sys.argv[1], encoding="utf-8") as f:
    archive = json.load(f)
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}
start_app() {
  "$app" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
  wait_for 15 app_up || fail "app did not come up"
}
stop_app() {
  kill -TERM "$app_pid"
  local status=0
  wait "$app_pid" || status=$?
  [[ $status == 0 ]] || fail "app exited with $status"
}

trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
dunst >"$work/dunst.log" 2>&1 &
pids+=($!)
wait_for 10 notifications_up || fail "dunst did not start"

# One alarm, $lead seconds ahead, written as a previous run would have.
due=$(python3 -c "import time; print(time.time() - 978307200 + $lead)")
printf '{"version":1,"alarms":[{"id":"5F0C2E7A-4B1D-4C39-9E4A-2D7B8C6A1F03","title":"Stand up","date":%s,"timeZoneID":"UTC"}]}' "$due" >"$file"

start_app
title_is Alarm && fail "alarm shown as fired too early"
stop_app
start_app
file_check 'archive["version"] == 1 and len(archive["alarms"]) == 1 and "firedAt" not in archive["alarms"][0]' \
  || fail "the alarm did not survive the restart"
echo "ok: the alarm survives a restart"

wait_for $((lead + 15)) title_is Alarm || fail "tray title never read Alarm (it reads '$(title)')"
late=$(python3 -c "import time; print(round(time.time() - 978307200 - $due, 1))")
wait_for 10 shown || fail "no notification was shown"
echo "ok: the alarm fired ${late} s after its moment; the tray reads Alarm and dunst shows it"

file_check 'archive["version"] == 1 and len(archive["alarms"]) == 1 and isinstance(archive["alarms"][0].get("firedAt"), (int, float))' \
  || fail "the alarm file does not record the firing"
stop_app
echo "ok: the alarm file is valid JSON of version 1 with the firing recorded"
echo "1 passed, 0 failed"
