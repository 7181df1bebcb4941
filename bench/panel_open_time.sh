#!/usr/bin/env bash
# The panel's opening time, from the click on the tray icon to the panel's
# first paint, as the app logs them: the first opening (which builds the
# panel) and later ones, under Xvfb with trayer.
# With BRIMKIT_PANEL_HIDDEN=<seconds> the panel stays closed that long
# between openings (over 5 s it has given back its window meanwhile).
#   bench/panel_open_time.sh <build dir> [openings=20]
set -euo pipefail
build=$(cd "$1" && pwd); openings=${2:-20}
source "$(dirname "$0")/../tests/e2e/headless.sh"
run_headless "$0" "$build" "$openings"

scratch
fail() { echo "FAIL: $*"; exit 1; }
isolate_home
unset QT_QPA_PLATFORM
start_trayer

QT_LOGGING_RULES="ostrel.brimkit.debug=true" QT_MESSAGE_PATTERN='%{time process} %{message}' \
  "$build/shell/ostrel-brimkit" 2>"$work/app.log" &
pids+=($!)
wait_for 15 docked ostrel-brimkit || fail "the app did not dock"
sleep 1
icon=$(xdotool search --onlyvisible --classname ostrel-brimkit | head -n1)
eval "$(xdotool getwindowgeometry --shell "$icon")"
shown() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' 2>/dev/null | grep -qv "^$icon\$"; }
for ((i = 0; i < openings; i++)); do
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  wait_for 5 shown || fail "opening $i did not show the panel"
  sleep 0.3
  xdotool key Escape
  wait_for 5 eval '! shown' || fail "Escape did not close the panel"
  sleep "${BRIMKIT_PANEL_HIDDEN:-0.3}"
done
awk '/tray icon clicked/ { clicked = $1; open = 1 } /panel painted/ && open { printf "%.1f\n", ($1 - clicked) * 1000; open = 0 }' \
  "$work/app.log" >"$work/times"
(($(wc -l <"$work/times") == openings)) || fail "$(wc -l <"$work/times") of $openings openings logged"
echo "first opening $(head -n1 "$work/times") ms (builds the panel)"
tail -n +2 "$work/times" | sort -n | awk '{ t[NR] = $1 } END {
  printf "later openings: median %.1f ms, slowest %.1f ms over %d\n", (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2, t[NR], NR }'
