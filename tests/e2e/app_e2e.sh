#!/usr/bin/env bash
# End to end: the real binary under Xvfb with trayer. It docks its tray icon,
# a second launch exits and leaves one instance showing the pop-up, keep-awake
# takes an inhibitor from the (fake) portal, a focus session shows in the
# 22-pixel slot as a dark number on the light panel and its tooltip follows the
# countdown while on screen, the icon docks again into a restarted tray, and
# SIGTERM ends the app cleanly with the inhibitor released. Screenshots of
# the slot go to the given folder (also enlarged eight times, for a look).
set -euo pipefail
app=$1 portal=$2 shots=$3

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

scratch
# No system bus: keep-awake must come from the portal.
isolate_home
unset QT_QPA_PLATFORM

fail() {
  echo "FAIL: $*"
  echo "--- portal log"; cat "$work/portal.log" || true
  echo "--- app log"; tail -n 60 "$work/app.log" || true
  import -window root "$shots/app-failure.png" 2>/dev/null || true
  echo "--- windows"; xwininfo -root -tree 2>/dev/null | grep -v 'has no name' | head -40 || true
  exit 1
}
instances() { pgrep -c -x -f "$app" || true; }
focus_running() {
  dbus-send --session --print-reply=literal --dest=app.ostrel.brimkit /app/ostrel/brimkit \
    app.ostrel.brimkit.StatusTitle 2>/dev/null | grep -Eq '^ *2[45]:'
}
shoot() { # <name>: the tray slot as docked
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/tray-$1.png"
  convert "$shots/tray-$1.png" -filter point -resize 800% "$shots/tray-$1-x8.png"
}
windows() { xdotool search --onlyvisible --classname ostrel-brimkit 2>/dev/null | sort; }
tip_shown() { tip=$(comm -13 <(echo "$before") <(windows) | head -1); [[ -n $tip ]]; }
tip_changed() { import -window "$tip" "$work/tip.png"; [[ $(compare -metric AE "$shots/tray-tooltip.png" "$work/tip.png" null: 2>&1) != 0 ]]; }

"$portal" >"$work/portal.log" 2>&1 &
pids+=($!)
wait_for 10 grep -qs ready "$work/portal.log" || fail "fake portal did not start"

start_trayer

"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
wait_for 15 docked ostrel-brimkit || fail "tray icon did not dock"
echo "ok: tray icon docked"
# The tray icon is the app's only window yet.
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --classname ostrel-brimkit)")"
shoot idle

"$app" || fail "second launch exited with $?"
[[ $(instances) == 1 ]] || fail "expected one instance, found $(instances)"
wait_for 10 panel_shown || fail "second launch did not open the pop-up"
echo "ok: second launch exited and opened the pop-up of the one instance"

# The panel focuses its first card, Keep Awake: Space opens it with the
# keyboard on its duration; Tab reaches Start.
xdotool key space Tab space
wait_for 10 grep -q '^inhibit .* 4 Ostrel Brimkit keep awake$' "$work/portal.log" \
  || fail "keep-awake took no inhibitor"
echo "ok: keep-awake holds a suspend inhibitor"
shoot awake

# Escape hands the keyboard back to the Keep Awake card; past its star the
# Timer card opens on the chosen session, Pomodoro; then Duration (Focus ·
# 25 min) and Start. Escape closes the tool, then the panel.
xdotool key Escape Tab Tab space Tab Tab space Escape Escape
wait_for 5 focus_running || fail "no focus session running"
shoot focus
# A good share of the 22x22 icon is much darker than the light panel.
dark=$(convert "$shots/tray-focus.png" -colorspace Gray -threshold 35% -format '%[fx:int((1-mean)*w*h)]' info:)
((dark >= 40)) || fail "the slot shows only $dark dark pixels"
echo "ok: a running focus session shows in the slot ($dark dark pixels)"
before=$(windows)
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
wait_for 5 tip_shown || fail "no tooltip appeared"
import -window "$tip" "$shots/tray-tooltip.png"
wait_for 3 tip_changed || fail "the tooltip on screen kept its old text"
echo "ok: the tooltip on screen follows the countdown"

# The tray host restarts: the icon docks into the new one by itself, and a
# click on it still opens the panel.
xdotool mousemove 640 400
kill "$trayer_pid"
wait_for 5 eval '! tray_up' || fail "trayer did not go"
start_trayer
wait_for 2 docked ostrel-brimkit || fail "the icon did not dock into the restarted tray"
eval "$(xdotool getwindowgeometry --shell "$docked_id")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
wait_for 5 panel_shown || fail "a click on the icon in the restarted tray opened no panel"
echo "ok: the icon docked into a restarted tray and opens the panel"

kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[[ $status == 0 ]] || fail "app exited with $status after SIGTERM"
wait_for 5 grep -q '^close ' "$work/portal.log" || fail "inhibitor not released at SIGTERM"
echo "ok: SIGTERM quit cleanly and released the inhibitor"
echo "1 passed, 0 failed"
