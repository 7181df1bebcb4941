#!/usr/bin/env bash
# D-Bus messages the app sends (signals, replies to the host's reads, calls)
# on a StatusNotifierItem host, xfce4-panel under openbox on Xvfb: over a
# window while idle, then while a 25-minute focus session counts down.
#   bench/status_item_messages.sh <build dir> [seconds=60]
set -euo pipefail
build=$(cd "$1" && pwd); seconds=${2:-60}
source "$(dirname "$0")/../tests/e2e/headless.sh"
run_headless "$0" "$build" "$seconds"

scratch
fail() { echo "FAIL: $*"; exit 1; }
isolate_home
unset QT_QPA_PLATFORM
openbox >/dev/null 2>&1 &
pids+=($!)
start_xfce_panel
app=$build/shell/ostrel-brimkit
"$app" >"$work/app.log" 2>&1 &
pids+=($!)
wait_for 15 sni_listed || fail "the item is not hosted"
sleep 2

count() { # <label>: messages our connection sends over the window
  dbus-monitor --session "sender='$(app_bus_name)'" >"$work/$1.log" 2>/dev/null &
  local monitor=$!
  sleep "$seconds"
  kill "$monitor"
  awk -v l="$1" -v s="$seconds" '
    /member=Name(Acquired|Lost)$/ { next }  # addressed to the monitor itself
    /^(signal|method return|method call|error) / {
      n++; m = $1 == "signal" ? "signal " $NF : $1 " " $2; sub(/member=/, "", m); kinds[m]++ }
    END { printf "%-9s %d messages over %d s (%.1f per minute)\n", l, n, s, n * 60 / s
          for (k in kinds) printf "            %5d  %s\n", kinds[k], k }' "$work/$1.log"
}
count idle
# Start a focus session from the keyboard (as the end-to-end tests do).
"$app"; sleep 0.5
xdotool key Tab Tab space Tab Tab space Escape Escape
sleep 2
count counting
