#!/usr/bin/env bash
# Time from a global shortcut's key press to its action done, on an X11
# session (Xvfb and openbox): xdotool presses Ctrl+Alt+P (pause or resume a
# running focus session) and the app logs when the key event reached it and
# when the model call returned. Measured from xdotool's start, the figure is
# mostly xdotool's own start-up.
#   bench/shortcut_latency.sh <build dir> [presses=20]
set -euo pipefail
build=$(cd "$1" && pwd); presses=${2:-20}
source "$(dirname "$0")/../tests/e2e/headless.sh"
run_headless "$0" "$build" "$presses"

scratch
fail() { echo "FAIL: $*"; exit 1; }
isolate_home
unset QT_QPA_PLATFORM
start_openbox
mkdir -p "$work/config/app.ostrel.brimkit"
printf '{"brimkitShortcuts": "{\\"pauseOrResume\\":\\"Ctrl+Alt+P\\",\\"startFocus\\":\\"Ctrl+Alt+F\\"}"}' \
  >"$work/config/app.ostrel.brimkit/defaults.json"
QT_LOGGING_RULES="ostrel.brimkit.debug=true;ostrel.platform.debug=true" QT_MESSAGE_PATTERN='%{time hh:mm:ss.zzz} %{message}' \
  "$build/shell/ostrel-brimkit" 2>"$work/app.log" &
pids+=($!)
sleep 3
done_count() { grep -c 'done$' "$work/app.log" || true; }
xdotool key ctrl+alt+f
wait_for 5 eval '(($(done_count) == 1))' || fail "Ctrl+Alt+F did nothing"
for ((i = 0; i < presses; i++)); do
  before=$(done_count)
  date +%T.%N >>"$work/pressed"
  xdotool key ctrl+alt+p
  date +%T.%N >>"$work/sent"
  wait_for 5 eval '(($(done_count) > before))' || fail "press $i did nothing"
  sleep 0.2
done
grep 'shortcut "pauseOrResume" done$' "$work/app.log" | cut -d' ' -f1 >"$work/done"
grep 'shortcut key pressed$' "$work/app.log" | tail -n "$presses" | cut -d' ' -f1 >"$work/arrived"
(($(wc -l <"$work/done") == presses)) || fail "$(wc -l <"$work/done") of $presses presses logged"
report() { # <label> <from file> <to file>
  paste "$2" "$3" | awk -F'\t' '
    function seconds(t, p) { split(t, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
    { print (seconds($2) - seconds($1)) * 1000 }' | sort -n | awk -v l="$1" '{ t[NR] = $1 } END {
    printf "%s: median %.1f ms, fastest %.1f ms, slowest %.1f ms over %d presses\n", l,
      (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2, t[1], t[NR], NR }'
}
report "xdotool started to action done" "$work/pressed" "$work/done"
report "key event in the app to action done" "$work/arrived" "$work/done"
report "xdotool's own run (start to exit)" "$work/pressed" "$work/sent"
