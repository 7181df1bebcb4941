#!/usr/bin/env bash
# End to end: the timer capsule of the real app under Xvfb with openbox and
# trayer. A one-minute countdown shows the capsule where the placement rule
# puts it, above a focused full-screen window that keeps the keyboard focus
# when the capsule's buttons are clicked; hovering expands it and leaving
# collapses it about 0.35 s later; the finished countdown shows expanded with
# its actions; the "Show timer capsule" option hides and shows it.
# Screenshots of each state go to $2 (the build folder).
set -euo pipefail
app=$1 shots=$2

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
isolate_home
unset QT_QPA_PLATFORM
mkdir -p "$shots"

fail() {
  echo "FAIL: $*"
  echo "--- app log"; tail -n 40 "$work/app.log" 2>/dev/null || true
  import -window root "$shots/capsule-failure.png" 2>/dev/null || true
  exit 1
}
shot() { import -window root "$shots/capsule-$1.png"; }
title() {
  dbus-send --session --print-reply=literal --dest=app.ostrel.brimkit /app/ostrel/brimkit \
    app.ostrel.brimkit.StatusTitle 2>/dev/null | sed 's/^ *//'
}
title_matches() { [[ "$(title)" =~ $1 ]]; }
# The capsule's window, made once and kept while hidden.
capsule=
capsule_shown() {
  [[ -n $capsule ]] || capsule=$(xdotool search --name '^Brimkit Timer$' 2>/dev/null | head -n1)
  [[ -n $capsule ]] && xwininfo -id "$capsule" | grep -q 'Map State: IsViewable'
}
capsule_hidden() { ! capsule_shown; }
# Sets x y w h of the capsule.
measure() {
  local info; info=$(xwininfo -id "$capsule")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  w=$(awk '/Width:/ {print $2}' <<<"$info")
  h=$(awk '/Height:/ {print $2}' <<<"$info")
}
width_is() { capsule_shown && measure && [[ $w == "$1" ]]; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
holds() { awk "BEGIN { exit !($1) }"; }
# Pointer positions: the capsule's centre, its buttons, and well away.
hover() { measure; xdotool mousemove $((x + w / 2)) $((y + 14)); }
away() { xdotool mousemove 20 780; }
click_primary() { measure; xdotool mousemove $((x + w - 40)) $((y + h - 26)) click 1; }
click_secondary() { measure; xdotool mousemove $((x + 40)) $((y + h - 26)) click 1; }
# Opens the pop-up and toggles "Show timer capsule", the fourth stop after
# the keep-awake duration while the timer shows two buttons.
toggle_capsule_option() {
  "$app"
  sleep 0.5
  xdotool key Tab Tab Tab Tab space
  sleep 0.3
  xdotool key Escape
}

# Our own notification server, so none is started on demand.
dunst >/dev/null 2>&1 &
pids+=($!)
wait_for 10 notifications_up || fail "dunst did not start"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 10 wm_up || fail "openbox did not start"
# A top panel that reserves its strip, so the work area starts below it.
trayer --edge top --align right --widthtype request --height 32 --SetDockType true --SetPartialStrut true \
  >/dev/null 2>&1 &
pids+=($!)

"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
app_up() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
  string:app.ostrel.brimkit | grep -q true; }
wait_for 15 app_up || fail "app did not come up"
# trayer reserves its strip once it holds an icon.
workarea_set() { xprop -root _NET_WORKAREA | grep -q '= 0, 32,'; }
wait_for 10 workarea_set || fail "trayer reserved no strip: $(xprop -root _NET_WORKAREA)"
capsule_hidden || fail "capsule shown with nothing to present"

# A one-minute timer through the pop-up: keep-awake Start, the Timer choice,
# the minutes, Start timer.
"$app"
sleep 0.5
xdotool key Tab Tab space Tab ctrl+a 1 Tab space
sleep 0.3
xdotool key Escape
wait_for 5 title_matches '^(01:00|00:5[0-9])$' || fail "no one-minute countdown (title '$(title)')"

# A focused full-screen window under the capsule.
xmessage -title focus-holder "Focus stays here" 2>/dev/null &
pids+=($!)
holder_focused() { [[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" == focus-holder ]]; }
wait_for 10 holder_focused || fail "the focus holder did not get the focus"
holder=$(xdotool getwindowfocus)
wmctrl -r focus-holder -b add,fullscreen
holder_fullscreen() { xwininfo -id "$holder" | grep -q 'Width: 1280'; }
wait_for 10 holder_fullscreen || fail "the focus holder did not go full screen"
away
wait_for 5 width_is 216 || fail "no collapsed capsule"

# Geometry: centred on the screen, 4 below the work area's top, at least 44 high.
read -r _ _ area_x area_y area_w area_h _ < <(xprop -root _NET_WORKAREA | tr -d ',')
measure
expect_x=$((640 - 108))
((expect_x > area_x + area_w - 216)) && expect_x=$((area_x + area_w - 216))
((expect_x < area_x)) && expect_x=$area_x
[[ $x == "$expect_x" && $y == $((area_y + 4)) && $w == 216 ]] && ((h >= 44 && h <= area_h - 4)) \
  || fail "capsule at ${w}x${h}+${x}+${y}, expected 216x(44..)+${expect_x}+$((area_y + 4))"
echo "ok: collapsed capsule at ${w}x${h}+${x}+${y} as placed for the work area ${area_x},${area_y} ${area_w}x${area_h}"

# Stacking: the root's children are listed top first.
frame=$holder
while parent=$(xwininfo -children -id "$frame" | awk '/Parent window id/ {print $4}') && [[ $parent != "$(xwininfo -root | awk '/Window id/ {print $4}')" ]]; do
  frame=$parent
done
order=$(xwininfo -root -children | grep -o '^ *0x[0-9a-f]*' | tr -d ' ')
above() { # <window> <other>: the first is stacked above the second
  local a b; a=$(grep -n -x "$(printf '0x%x' "$1")" <<<"$order" | cut -d: -f1)
  b=$(grep -n -x "$(printf '0x%x' "$2")" <<<"$order" | cut -d: -f1)
  [[ -n $a && -n $b ]] && ((a < b))
}
above "$capsule" "$frame" || fail "capsule is not above the full-screen window"
shot collapsed-over-fullscreen
echo "ok: the capsule stays above a focused full-screen window"

hover
start=$(now)
wait_for 2 width_is 336 || fail "hover did not expand the capsule"
grow=$(since "$start")
shot expanded
away
start=$(now)
wait_for 3 width_is 216 || fail "leaving did not collapse the capsule"
shrink=$(since "$start")
holds "$shrink >= 0.3 && $shrink < 1.5" || fail "collapsed after $shrink s"
echo "ok: hover expanded it in ${grow} s; leaving collapsed it after ${shrink} s"

hover
wait_for 2 width_is 336 || fail "hover did not expand the capsule"
click_primary
wait_for 3 title_matches '^Ⅱ ' || fail "Pause did not pause (title '$(title)')"
shot paused
[[ $(xdotool getwindowfocus) == "$holder" ]] || fail "clicking Pause took the focus"
click_primary
wait_for 3 title_matches '^00:[0-5][0-9]$' || fail "Resume did not resume (title '$(title)')"
[[ $(xdotool getwindowfocus) == "$holder" ]] || fail "clicking Resume took the focus"
echo "ok: Pause and Resume work and the full-screen window keeps the focus"

away
wait_for 75 title_matches '^Done$' || fail "countdown never finished (title '$(title)')"
wait_for 3 width_is 336 || fail "finished countdown not expanded"
sleep 0.3
shot finished
measure
# The next-session button is filled with the control accent; the capsule around it is light.
shade=$(convert "$shots/capsule-finished.png" -crop 24x8+$((x + w - 52))+$((y + h - 30)) -colorspace Gray -format '%[fx:mean]' info:)
holds "$shade < 0.6" || fail "no next-session button (shade $shade)"
echo "ok: the finished countdown shows expanded with its next-session button"

toggle_capsule_option
wait_for 3 capsule_hidden || fail "switching the capsule off did not hide it"
shot option-off
toggle_capsule_option
wait_for 3 capsule_shown || fail "switching the capsule on did not show it"
echo "ok: \"Show timer capsule\" hides and shows it"

click_secondary
wait_for 3 title_matches '^$' || fail "Dismiss did not dismiss (title '$(title)')"
wait_for 3 capsule_hidden || fail "capsule still shown after Dismiss"
echo "ok: Dismiss ends the session and hides the capsule"

kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[[ $status == 0 ]] || fail "app exited with $status after SIGTERM"
echo "1 passed, 0 failed"
