#!/usr/bin/env bash
# Repeats the suite's tests of session services that die under the app: the
# notification server (a real dunst) killed during a countdown and started
# again by hand or by the bus, or not at all; the session bus itself killed
# under the running app. Prints one Markdown row per fault for
# docs/reliability.md. Not part of ctest; the suite runs each once.
#
#   tests/stress/session_services.sh BUILD_DIR [ROUNDS]   (ROUNDS default 50)
set -euo pipefail
build=${1:?usage: session_services.sh BUILD_DIR [ROUNDS]}
rounds=${2:-50}
here=$(cd "$(dirname "$0")" && pwd)

row() { # <fault> <tried> <command...>
  local fault=$1 tried=$2 start=$SECONDS rc=0 log
  shift 2
  log=$(mktemp)
  "$@" >"$log" 2>&1 || rc=$?
  printf '| %s | %s | %s | %s s |\n' "$fault" "$tried" "$([[ $rc == 0 ]] && echo "0 failed" || echo "failed (see $log)")" \
    "$((SECONDS - start))"
  [[ $rc != 0 ]] || rm -f "$log"
}

echo "| fault | tried | outcome | time |"
echo "|---|---|---|---|"
row "dunst killed during a countdown: restarted by hand, started by the bus, or not at all" "$rounds x 3" \
  dbus-run-session -- "$build/tests/platform/NotificationTests" --gtest_repeat="$rounds" \
  --gtest_filter='NotificationServerRestart.*'
row "session bus killed under the app (with and without a save pending)" "$rounds x 2" \
  "$here/../e2e/bus_loss_e2e.sh" "$build/shell/ostrel-brimkit" "$rounds"
