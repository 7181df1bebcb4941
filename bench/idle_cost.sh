#!/usr/bin/env bash
# Idle cost of the running app against a bare tray program that has shown a
# small window once, under Xvfb with trayer, over the same window each:
# CPU, voluntary context switches of all threads (wake-ups), peak RSS within
# the window (the peak is reset at its start), RSS and USS (private pages) at
# its end. The app runs idle with its only alarm hours away after every tool
# of the panel was opened once, then with a 25-minute focus session running,
# the timer capsule shown and switched off.
#   bench/idle_cost.sh <build dir> [seconds=60]   (BRIMKIT_IDLE_ONLY=1: bare and idle app only)
set -euo pipefail
build=$(cd "$1" && pwd); seconds=${2:-60}
if [[ -z "${BRIMKIT_IDLE_INNER:-}" ]]; then
  export BRIMKIT_IDLE_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$build" "$seconds"
fi
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/c XDG_DATA_HOME=$work/d
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &

# wakeups <pid> <seconds>: voluntary context switches of all its threads over
# the time, sampled each second so that threads ending meanwhile still count;
# the busiest threads go to stderr.
wakeups() {
  python3 - "$1" "$2" <<'PY'
import glob, sys, time
pid, seconds = sys.argv[1], float(sys.argv[2])
first, last, names = {}, {}, {}
def sample(start):
    for status in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            fields = dict(line.split(":", 1) for line in open(status) if ":" in line)
        except OSError:
            continue
        tid, n = status.split("/")[4], int(fields["voluntary_ctxt_switches"])
        first.setdefault(tid, n if start else 0)
        last[tid], names[tid] = n, fields["Name"].strip()
end = time.monotonic() + seconds
sample(True)
while time.monotonic() < end:
    time.sleep(min(1.0, max(0.0, end - time.monotonic())))
    sample(False)
deltas = sorted(((last[t] - first[t], names[t]) for t in last), reverse=True)
print(sum(d for d, _ in deltas))
print("  busiest threads: " + ", ".join(f"{n} {d}" for d, n in deltas[:4] if d), file=sys.stderr)
PY
}
# measure <label> <pid>: one line of figures; leaves them in $cpu $cs $hwm $uss for the ratios.
measure() {
  local pid=$2 hz; hz=$(getconf CLK_TCK)
  echo 5 >/proc/"$pid"/clear_refs 2>/dev/null || true # peak RSS from here on
  local ticks0; ticks0=$(awk '{print $14+$15}' /proc/"$pid"/stat)
  cs=$(wakeups "$pid" "$seconds")
  local ticks=$(( $(awk '{print $14+$15}' /proc/"$pid"/stat) - ticks0 ))
  hwm=$(awk '/VmHWM/ {print $2}' /proc/"$pid"/status)
  local rss; rss=$(awk '/VmRSS/ {print $2}' /proc/"$pid"/status)
  uss=$(awk '/^Private_(Clean|Dirty):/ { n += $2 } END { print n }' /proc/"$pid"/smaps_rollup)
  dirty=$(awk '/^Private_Dirty:/ { print $2 }' /proc/"$pid"/smaps_rollup)
  cpu=$(awk -v t="$ticks" -v hz="$hz" 'BEGIN { print t / hz }')
  awk -v l="$1" -v c="$cpu" -v s="$seconds" -v w="$cs" -v h="$hwm" -v r="$rss" -v u="$uss" -v d="$dirty" 'BEGIN {
    printf "%-11s cpu %.2f s over %d s (%.3f%% of a core), %d wake-ups (%.1f a minute), peak RSS %.1f MiB, RSS %.1f MiB, USS %.1f MiB (%.1f MiB dirty)\n",
      l, c, s, 100 * c / s, w, 60 * w / s, h / 1024, r / 1024, u / 1024, d / 1024 }'
  echo "$cs $hwm $uss" >"$work/$1.values"
}

# The bare tray runs beside the app and is measured over the same window, so
# that both share the libraries' pages alike (USS counts a page as private
# while no other process maps it).
"$build/bench/bare-tray" --show-window & bare=$!

# The only alarm, four hours away.
mkdir -p "$work/d/app.ostrel.brimkit"
alarm_file() {
  local due; due=$(python3 -c "import time; print(time.time() - 978307200 + 4 * 3600)")
  printf '{"version":1,"alarms":[{"id":"5F0C2E7A-4B1D-4C39-9E4A-2D7B8C6A1F03","title":"Later","date":%s,"timeZoneID":"UTC"}]}' \
    "$due" >"$work/d/app.ostrel.brimkit/alarms.json"
}

# Two global shortcuts set (a build without them ignores the entry): grabbed
# keys must cost nothing while idle.
mkdir -p "$work/c/app.ostrel.brimkit"
printf '{"brimkitShortcuts": "{\\"pauseOrResume\\":\\"Ctrl+Alt+P\\",\\"toggleAwake\\":\\"Ctrl+Alt+W\\"}"}' \
  >"$work/c/app.ostrel.brimkit/defaults.json"
# Every tool and the settings opened once from the keyboard (Space opens the
# focused card's tool, Escape closes it, Tab Tab reaches the next card), then
# the panel closed.
alarm_file
"$build/shell/ostrel-brimkit" & app=$!
sleep 2
"$build/shell/ostrel-brimkit"; sleep 0.5
for tool in 1 2 3 4 5 6 7 8; do xdotool key space; sleep 0.3; xdotool key Escape Tab Tab; done
xdotool key Tab space; sleep 0.3; xdotool key Escape Escape
sleep 7 # the panel gives back its window after being hidden 5 s
measure bare $bare 2>/dev/null &
measure app-idle $app
wait $!
read -r bare_cs bare_hwm bare_uss <"$work/bare.values"
kill $bare
awk -v a="$cs" -v b="$bare_cs" -v s="$seconds" -v h="$hwm" -v bh="$bare_hwm" -v u="$uss" -v bu="$bare_uss" 'BEGIN {
  printf "  idle against bare: %+.1f wake-ups a minute (goal: at most +2), peak RSS %.2fx (goal: at most 1.4x), USS %.2fx\n",
    60 * (a - b) / s, h / bh, u / bu }'
kill -TERM $app; wait $app || true
[[ -z "${BRIMKIT_IDLE_ONLY:-}" ]] || exit 0

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
  sleep 7 # steady state: the panel has given back its window
  local painted; painted=$(grep -c 'capsule: painted' "$log" || true)
  measure "$1" $app
  painted=$(( $(grep -c 'capsule: painted' "$log" || true) - painted ))
  awk -v l="$1" -v p="$painted" -v s="$seconds" 'BEGIN { printf "%-11s capsule repaints %d over %d s (%.2f per second)\n", l, p, s, p/s }'
  kill -TERM $app; wait $app || true
}
run_app countdown true
run_app no-capsule false
