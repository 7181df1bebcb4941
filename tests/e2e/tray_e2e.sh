#!/usr/bin/env bash
# End to end: the real binary docked in trayer. With a 25-minute focus session
# running, the 22-pixel slot shows a dark number on the light panel (screenshots
# saved in the given folder, also enlarged eight times for a look), and the
# tooltip on screen follows the countdown while the pointer rests on the icon.
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
fail() { echo "FAIL: $*"; tail -n 40 "$work/app.log" || true; exit 1; }
title() {
  dbus-send --session --print-reply=literal --dest=app.ostrel.brimkit /app/ostrel/brimkit \
    app.ostrel.brimkit.StatusTitle 2>/dev/null | sed 's/^ *//'
}
shoot() { # <name>: the tray slot as docked, and eight times larger
  import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$shots/tray-$1.png"
  convert "$shots/tray-$1.png" -filter point -resize 800% "$shots/tray-$1-x8.png"
}
screen_differs() { import -window root "$work/now.png"; [[ $(compare -metric AE "$1" "$work/now.png" null: 2>&1) != 0 ]]; }

trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
"$app" >"$work/app.log" 2>&1 &
pids+=($!)
wait_for 15 docked || fail "tray icon did not dock"
eval "$(xwininfo -id "$docked_window" | awk '/Absolute upper-left X/ {print "X="$4} /Absolute upper-left Y/ {print "Y="$4}
  /Width/ {print "W="$2} /Height/ {print "H="$2}')"
shoot idle

# The pop-up's keyboard path: Start, Pomodoro (checked), Duration, Start timer.
"$app"
wait_for 10 xdotool search --onlyvisible --name '^Ostrel Brimkit$' || fail "no pop-up"
xdotool key Tab Tab Tab Tab space Escape
wait_for 5 bash -c '[[ $(dbus-send --session --print-reply=literal --dest=app.ostrel.brimkit /app/ostrel/brimkit \
  app.ostrel.brimkit.StatusTitle) == *2[45]:* ]]' || fail "no focus session running: '$(title)'"
sleep 0.3
shoot focus
# The number is ink on the panel: a good share of the 22x22 icon is much darker than the panel.
dark=$(convert "$shots/tray-focus.png" -colorspace Gray -threshold 35% -format '%[fx:int((1-mean)*w*h)]' info:)
((dark >= 40)) || fail "slot shows only $dark dark pixels"
echo "ok: a running focus session shows in the slot ($dark dark pixels)"

import -window root "$work/before-hover.png"
xdotool mousemove $((X + W / 2)) $((Y + H / 2))
wait_for 5 screen_differs "$work/before-hover.png" || fail "no tooltip appeared"
cp "$work/now.png" "$work/tip.png"
import -window root -crop 360x60+$((X + W - 360))+$((Y + H)) +repage "$shots/tray-tooltip.png"
wait_for 3 screen_differs "$work/tip.png" || fail "the tooltip on screen kept its old text"
echo "ok: the tooltip on screen follows the countdown"
echo "2 passed, 0 failed"
