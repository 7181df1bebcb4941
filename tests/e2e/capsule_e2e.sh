#!/usr/bin/env bash
# End to end: the timer capsule of the real app under Xvfb with openbox and
# trayer. A one-minute countdown shows it where the placement rule puts it,
# above a focused full-screen window that keeps the focus when the capsule's
# buttons are clicked; hovering expands it, leaving collapses it about 0.35 s
# later; the finished countdown shows expanded with its actions; "Show timer
# capsule" hides and shows it. Screenshots of each state go to $2.
set -euo pipefail
app=$1 shots=$2

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

start_x_test capsule
shot() { import -window root "$shots/capsule-$1.png"; }
title_matches() { [[ "$(title)" =~ $1 ]]; }
capsule= # made once, kept while hidden
capsule_shown() {
  [[ -n $capsule ]] || capsule=$(xdotool search --name '^Brimkit Timer$' 2>/dev/null | head -n1)
  [[ -n $capsule ]] && xwininfo -id "$capsule" | grep -q 'Map State: IsViewable'
}
capsule_hidden() { ! capsule_shown; }
measure() { # sets x y w h
  read -r x y w h < <(xwininfo -id "$capsule" | awk '/upper-left X/ {x=$4} /upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
}
width_is() { capsule_shown && measure && [[ $w == "$1" ]]; }
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }
holds() { awk "BEGIN { exit !($1) }"; }
hover() { measure; xdotool mousemove $((x + w / 2)) $((y + 14)); }
away() { xdotool mousemove 20 780; }
click_button() { # primary|secondary
  measure
  if [[ $1 == primary ]]; then xdotool mousemove $((x + w - 40)) $((y + h - 26)) click 1
  else xdotool mousemove $((x + 40)) $((y + h - 26)) click 1; fi
}
keep_focus() { [[ $(xdotool getwindowfocus) == "$holder" ]] || fail "clicking $1 took the focus"; }
# The panel opens on its first card; Escape closes the tool that was opened, then the panel.
pop_up_keys() {
  # Were the app gone, this launch would become the app and never return.
  kill -0 "$app_pid" 2>/dev/null || fail "the app has ended"
  timeout $((6 * ${BRIMKIT_PATIENCE:-10})) "$app" || fail "a second launch did not hand over to the app and exit"
  wait_for 5 panel_shown || fail "the panel did not open"
  # Keys sent before the focus arrives go to another window, and those that
  # arrive after it press some other control than the one meant.
  wait_for 5 focused_window_is "Ostrel Brimkit" || fail "the panel did not take the focus"
  xdotool key "$@"; sleep 0.3; xdotool key Escape Escape
}
# Before the first card: Customize tools. Its pane opens on the eight tool
# switches (none locked while no countdown runs); "Show timer capsule" follows.
toggle_capsule_option() { pop_up_keys shift+Tab space Tab Tab Tab Tab Tab Tab Tab Tab space; }

dunst >/dev/null 2>&1 & # ours, so none is started on demand
pids+=($!)
start_openbox
trayer --edge top --align right --widthtype request --height 32 --SetDockType true --SetPartialStrut true \
  >/dev/null 2>&1 &
pids+=($!)
"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
# trayer reserves its strip once it holds the app's icon.
workarea_set() { xprop -root _NET_WORKAREA | grep -q '= 0, 32,'; }
wait_for 15 workarea_set || fail "no work area below the panel: $(xprop -root _NET_WORKAREA)"
capsule_hidden || fail "capsule shown with nothing to present"

# A one-minute timer: past Keep Awake's star the Timer card opens on Pomodoro;
# Left chooses Timer, then the minutes and Start.
pop_up_keys Tab Tab space Left Tab ctrl+a 1 Tab space
wait_for 5 title_matches '^(01:00|00:5[0-9])$' || fail "no one-minute countdown (title '$(title)')"

hold_focus
wmctrl -r focus-holder -b add,fullscreen
wait_for 10 eval 'xwininfo -id "$holder" | grep -q "Width: 1280"' || fail "the focus holder is not full screen"
away
wait_for 5 width_is 216 || fail "no collapsed capsule"
measure
# Centred on the 1280-wide screen, 4 below the work area's top (32).
[[ "$x $y $w" == "532 36 216" ]] && ((h >= 44)) || fail "capsule at ${w}x${h}+${x}+${y}, expected 216x44+532+36"
# The root's children are listed top first; the holder sits in openbox's frame.
frame=$holder root=$(xwininfo -root | awk '/Window id/ {print $4}')
while parent=$(xwininfo -children -id "$frame" | awk '/Parent window id/ {print $4}') && [[ $parent != "$root" ]]; do
  frame=$parent
done
order=$(xwininfo -root -children | grep -o '^ *0x[0-9a-f]*' | tr -d ' ' | grep -n -x -e "$(printf '0x%x' "$capsule")" -e "$frame")
[[ $(head -n1 <<<"$order") == *"$(printf '0x%x' "$capsule")" && $(wc -l <<<"$order") == 2 ]] \
  || fail "capsule is not above the full-screen window"
shot collapsed-over-fullscreen
echo "ok: collapsed capsule at ${w}x${h}+${x}+${y}, above a focused full-screen window"

hover
start=$(date +%s.%N)
wait_for 2 width_is 336 || fail "hover did not expand the capsule"
grow=$(since "$start")
shot expanded
away
start=$(date +%s.%N)
wait_for 3 width_is 216 || fail "leaving did not collapse the capsule"
shrink=$(since "$start")
holds "$shrink >= 0.3 && $shrink < 1.5" || fail "collapsed after $shrink s"
echo "ok: hover expanded it in ${grow} s; leaving collapsed it after ${shrink} s"

hover
wait_for 2 width_is 336 || fail "hover did not expand the capsule"
click_button primary
wait_for 3 title_matches '^Ⅱ ' || fail "Pause did not pause (title '$(title)')"
shot paused
keep_focus Pause
click_button primary
wait_for 3 title_matches '^00:[0-5][0-9]$' || fail "Resume did not resume (title '$(title)')"
keep_focus Resume
echo "ok: Pause and Resume work and the full-screen window keeps the focus"

away
wait_for 75 title_matches '^Done$' || fail "countdown never finished (title '$(title)')"
wait_for 3 width_is 336 || fail "finished countdown not expanded"
sleep 0.3
shot finished
# The next-session button is filled with the control accent; the capsule around it is light.
shade=$(convert "$shots/capsule-finished.png" -crop 24x8+$((x + w - 52))+$((y + h - 30)) -colorspace Gray \
  -format '%[fx:mean]' info:)
holds "$shade < 0.6" || fail "no next-session button (shade $shade)"
toggle_capsule_option
wait_for 3 capsule_hidden || fail "switching the capsule off did not hide it"
shot option-off
toggle_capsule_option
wait_for 3 capsule_shown || fail "switching the capsule on did not show it"
click_button secondary
wait_for 3 title_matches '^$' || fail "Dismiss did not dismiss (title '$(title)')"
wait_for 3 capsule_hidden || fail "capsule still shown after Dismiss"
echo "ok: the finished countdown shows expanded with its actions; the option hides and shows it"

kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[[ $status == 0 ]] || fail "app exited with $status after SIGTERM"
echo "1 passed, 0 failed"
