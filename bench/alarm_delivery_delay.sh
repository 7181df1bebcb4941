#!/usr/bin/env bash
# Delay from an alarm's moment to its notification shown by dunst when only
# the delivery command runs, started at the moment as the user timer would.
#   bench/alarm_delivery_delay.sh <build dir> [runs=10]
# Prints each run's delay, then the median and the slowest.
set -euo pipefail
build=$(cd "$1" && pwd); runs=${2:-10}
source "$(dirname "$0")/../tests/e2e/headless.sh"
run_headless "$0" "$build" "$runs"

scratch
fail() { echo "FAIL: $*"; exit 1; }
isolate_home
dunst >/dev/null 2>&1 & pids+=($!)
wait_for 10 notifications_up || fail "dunst did not start"
program=$build/shell/ostrel-brimkit
store=$XDG_DATA_HOME/app.ostrel.brimkit
mkdir -p "$store"

delays=()
for ((i = 0; i < runs; i++)); do
  dunstctl close-all
  at=$(( $(date +%s) + 2 ))
  printf '{"version":1,"alarms":[{"id":"%s","title":"Run %d","date":%d,"timeZoneID":"UTC"}]}' \
    "$(cat /proc/sys/kernel/random/uuid | tr a-z A-Z)" "$i" $((at - 978307200)) >"$store/alarms.json"
  # Sleep to the alarm's second, then start the command as the timer does.
  sleep "$(awk -v at="$at" -v now="$(date +%s.%N)" 'BEGIN { printf "%.3f", at - now }')"
  "$program" --deliver-due-alarms >/dev/null 2>&1 &
  until [[ "$(dunstctl count displayed)" -ge 1 ]]; do :; done
  end=$(date +%s%N)
  wait $! || fail "the delivery command failed"
  delays+=($(( (end - at * 1000000000) / 1000000 )))
  grep -q firedAt "$store/alarms.json" || fail "the alarm was not recorded fired"
done
printf 'run delays (ms): %s\n' "${delays[*]}"
printf '%s\n' "${delays[@]}" | sort -n | awk '{ t[NR] = $1 } END {
  m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
  printf "alarm moment to dunst notification: median %d ms, slowest %d ms over %d runs\n", m, t[NR], NR }'
