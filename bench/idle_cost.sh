#!/usr/bin/env bash
# Idle cost of the running app against a bare tray program that has shown a
# small window once, under Xvfb with trayer: CPU seconds and peak RSS over a
# window, after every tool of the panel has been opened once, and with a
# countdown running, the timer capsule shown and switched off.
#   bench/idle_cost.sh <build dir> [seconds=60]
set -euo pipefail
build=$(cd "$1" && pwd); seconds=${2:-60}
if [[ -z "${BRIMKIT_IDLE_INNER:-}" ]]; then
  export BRIMKIT_IDLE_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$build" "$seconds"
fi
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/c XDG_DATA_HOME=$work/d
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &

measure() { # <label> <pid>
  local pid=$2 ticks hz=$(getconf CLK_TCK)
  local start; start=$(awk '{print $14+$15}' /proc/$pid/stat)
  sleep "$seconds"
  ticks=$(( $(awk '{print $14+$15}' /proc/$pid/stat) - start ))
  local hwm rss
  hwm=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
  rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
  awk -v l="$1" -v t="$ticks" -v hz="$hz" -v s="$seconds" -v r="$hwm" -v n="$rss" \
    'BEGIN { printf "%-10s cpu %.2f s over %d s (%.3f%% of a core), peak RSS %.1f MiB, RSS at end %.1f MiB\n", l, t/hz, s, 100*t/hz/s, r/1024, n/1024 }'
}

"$build/bench/bare-tray" --show-window & bare=$!
sleep 2; measure bare $bare; kill $bare

# Every tool and the settings opened once from the keyboard (Space opens the
# focused card's tool, Escape closes it, Tab Tab reaches the next card), then
# the panel closed.
"$build/shell/ostrel-brimkit" & app=$!
sleep 2
"$build/shell/ostrel-brimkit"; sleep 0.5
for tool in 1 2 3 4 5 6 7 8; do xdotool key space; sleep 0.3; xdotool key Escape Tab Tab; done
xdotool key Tab space; sleep 0.3; xdotool key Escape Escape
sleep 1
measure app-tools $app
kill -TERM $app; wait $app || true

# The app with a running 25-minute focus session, the timer capsule shown or
# switched off (its setting written before the start). Capsule repaints are
# counted from the app's debug log over the same window.
run_app() { # <label> <capsule: true|false>
  rm -rf "$work/c"; mkdir -p "$work/c/app.ostrel.brimkit"
  printf '{"brimkitTimerIsland": %s}' "$2" >"$work/c/app.ostrel.brimkit/defaults.json"
  local log=$work/$1.log
  QT_LOGGING_RULES="ostrel.brimkit.capsule.debug=true" "$build/shell/ostrel-brimkit" 2>"$log" & app=$!
  sleep 2
  echo "$1 before its pop-up was first opened: peak RSS $(awk '/VmHWM/ {printf "%.1f MiB", $2/1024}' /proc/$app/status)"
  "$build/shell/ostrel-brimkit"          # opens the panel
  sleep 0.5
  xdotool key Escape                      # the panel closes again
  # Start a 25-minute focus session from the keyboard: past Keep Awake and its
  # star the Timer card opens on Pomodoro; Duration, Start.
  "$build/shell/ostrel-brimkit"; sleep 0.5
  xdotool key Tab Tab space Tab Tab space; sleep 1.5
  import -window root "${BRIMKIT_IDLE_SHOT:-/dev/null}" 2>/dev/null || true
  xdotool key Escape Escape
  sleep 1
  local painted; painted=$(grep -c 'capsule: painted' "$log" || true)
  measure "$1" $app
  painted=$(( $(grep -c 'capsule: painted' "$log" || true) - painted ))
  awk -v l="$1" -v p="$painted" -v s="$seconds" 'BEGIN { printf "%-10s capsule repaints %d over %d s (%.2f per second)\n", l, p, s, p/s }'
  kill -TERM $app; wait $app || true
}
run_app app true
run_app app-off false
