#!/usr/bin/env bash
# Repeats the suite's service and disk fault tests many times: the desktop
# portal absent then present and answering late, the sound server restarted
# under the microphone controller, the settings and the alarm file on a full
# and on a read-only disk. Prints one Markdown row per fault for docs/reliability.md.
# Not part of ctest; the suite runs each of them once or twice.
#
#   tests/stress/service_faults.sh BUILD_DIR [ROUNDS]   (ROUNDS default 50)
set -euo pipefail
build=${1:?usage: service_faults.sh BUILD_DIR [ROUNDS]}
rounds=${2:-50}

row() { # <fault> <tried> <command...>
  local fault=$1 tried=$2 start=$SECONDS rc=0 log
  shift 2
  log=$(mktemp)
  dbus-run-session -- "$@" >"$log" 2>&1 || rc=$?
  local failed
  failed=$(grep -c '^\[  FAILED  \] .*(' "$log" || true)
  printf '| %s | %s | %s | %s s |\n' "$fault" "$tried" "$([[ $rc == 0 ]] && echo "0 failed" || echo "$failed failed (see $log)")" \
    "$((SECONDS - start))"
  [[ $rc != 0 ]] || rm -f "$log"
}

echo "| fault | tried | outcome | time |"
echo "|---|---|---|---|"
row "portal absent then present (then slow); portal answering too late, 3 ways" "$rounds x 4" \
  "$build/tests/platform/PlatformTests" --gtest_repeat="$rounds" \
  --gtest_filter='InhibitPowerAssertionsTest.KeepAwake*:InhibitPowerAssertionsTest.NoInhibitor*'
row "sound server restarted under the microphone controller" "$rounds restarts" \
  env BRIMKIT_STRESS_ROUNDS="$rounds" "$build/tests/platform/MicrophoneTests" \
  --gtest_filter='Microphone.FollowsTheDefaultSourceAcrossServerRestarts'
row "settings file on a full disk and a read-only disk" "$rounds x 5 faulted writes" \
  "$build/tests/platform/PlatformTests" --gtest_repeat="$rounds" --gtest_filter='JsonFileUserDefaults.DiskFaults*'
row "alarm file on a full disk and a read-only disk" "$rounds x 8 faulted writes" \
  "$build/tests/models/ModelTests" --gtest_repeat="$rounds" --gtest_filter='Alarms.DiskFaults*'
