#!/usr/bin/env bash
# End to end with a real StatusNotifierItem host: xfce4-panel (its settings
# from xfconf) under openbox on Xvfb. The watcher lists our item, so the
# XEmbed path is not taken; the icon shows in the bar; a click opens the panel
# below the bar and across the clicked column; the host's right-click menu
# holds our entries; the label follows a running countdown (read from the
# bus: Xfce draws no labels); killing and restarting the panel brings the
# item back within 2 s of its watcher. Screenshots go to the given folder.
set -euo pipefail
app=$1 shots=$2

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

start_x_test sni
fail_logs+=("$work/panel.log")

# No countdown capsule: the app's only windows are the panel and menus.
mkdir -p "$XDG_CONFIG_HOME/app.ostrel.brimkit"
echo '{"brimkitTimerIsland": false}' >"$XDG_CONFIG_HOME/app.ostrel.brimkit/defaults.json"

item() { # <property>: a string property of our item
  dbus-send --session --print-reply=literal --dest="$(app_bus_name)" /StatusNotifierItem \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem "string:$1" | sed 's/^ *variant *//'
}
bar() { import -window root -crop 1280x32+0+0 +repage "$1"; }
popup() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' 2>/dev/null | head -1; }
windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }

openbox >/dev/null 2>&1 &
pids+=($!)
start_xfce_panel

"$app" >"$work/app.log" 2>&1 &
pids+=($!)
wait_for 15 sni_listed || fail "the watcher does not list the item"
# A docked XEmbed icon is a mapped window of ours inside the panel's tray.
xembed_shown() {
  local w
  for w in $(xdotool search --classname ostrel-brimkit 2>/dev/null); do
    xwininfo -id "$w" | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}
! xembed_shown || fail "an XEmbed tray icon is shown too"
echo "ok: the watcher lists the item, and no XEmbed icon is shown"

# The bar is one colour but for the icon: trimming it leaves the icon.
shown() {
  bar "$shots/sni-bar-idle.png"
  read -r W H X Y < <(convert "$shots/sni-bar-idle.png" -fuzz 10% -trim -format '%w %h %X %Y\n' info: 2>/dev/null) \
    && ((W >= 10 && H >= 10 && W <= 40))
}
wait_for 10 shown || fail "no icon appeared in the bar"
cx=$((X + W / 2)) cy=$((Y + H / 2))
echo "ok: the icon shows in the bar (${W}x${H} at $X,$Y)"

xdotool mousemove "$cx" "$cy" click 1
wait_for 10 popup >/dev/null || fail "a click on the icon opened no panel"
eval "$(xdotool getwindowgeometry --shell "$(popup)")"
import -window root "$shots/sni-panel.png"
((Y >= 32)) || fail "the panel covers the bar (top at $Y)"
((X <= cx && cx < X + WIDTH)) || fail "the panel ($X..$((X + WIDTH))) is not across the clicked column $cx"
echo "ok: the panel opened below the bar, across the clicked column"

# A focus session from the keyboard: past Keep Awake and its star, the Timer
# card opens on Pomodoro; Duration, Start; the panel closes.
xdotool key Tab Tab space Tab Tab space Escape Escape
counting() { [[ $(item XAyatanaLabel) =~ ^2[45]:[0-9][0-9]$ ]]; }
wait_for 10 counting || fail "the label shows no countdown: '$(item XAyatanaLabel)'"
first=$(item XAyatanaLabel)
moved() { [[ $(item XAyatanaLabel) != "$first" ]]; }
wait_for 5 moved || fail "the label stays at $first"
[[ $(item XAyatanaLabelGuide) == 00:00 ]] || fail "label guide $(item XAyatanaLabelGuide)"
echo "ok: the label follows the countdown ($first, then $(item XAyatanaLabel))"
bar "$shots/sni-bar-countdown.png"

# The host draws our tooltip (the accessibility label over the detail line)
# on the black root window below the bar.
xdotool mousemove 640 400 sleep 0.2 mousemove "$cx" "$cy"
tooltip() { [[ $(import -window root png:- | convert - -crop 400x80+880+34 -format '%[fx:maxima>0.5]' info:) == 1 ]]; }
wait_for 5 tooltip || fail "no tooltip appeared"
sleep 0.5 # its first paint
import -window root -crop 400x120+880+0 +repage "$shots/sni-tooltip.png"

before=$(windows)
xdotool click 3
appeared() { [[ -n $(comm -13 <(echo "$before") <(windows)) ]]; }
wait_for 5 appeared || fail "a right click opened no menu"
# Over the menu, away from the icon's tooltip.
xdotool mousemove $((cx - 80)) 50
sleep 0.5
import -window root -crop 400x200+880+0 +repage "$shots/sni-menu.png"
layout=$(dbus-send --session --print-reply --dest="$(app_bus_name)" /MenuBar com.canonical.dbusmenu.GetLayout \
  int32:0 int32:-1 array:string:label)
for entry in "Open Ostrel Brimkit" "Send feedback…" "Report a bug…" "Quit Ostrel Brimkit"; do
  grep -qF "\"$entry\"" <<<"$layout" || fail "the menu lacks $entry"
done
xdotool key Escape
echo "ok: the right-click menu holds the four entries"

kill "$panel_pid"
wait_for 10 eval '! sni_hosting' || fail "the watcher outlived the panel"
started=$(date +%s%N)
start_xfce_panel
hosted=$(date +%s%N)
wait_for 2 sni_listed || fail "the item was not back within 2 s of the restarted panel's watcher"
echo "ok: the item is back $((($(date +%s%N) - hosted) / 1000000)) ms after the restarted panel's watcher" \
  "($(((hosted - started) / 1000000)) ms for the panel to start)"
wait_for 5 eval '! xembed_shown' || fail "the XEmbed icon stayed after the watcher came back"
sleep 1
bar "$shots/sni-bar-restarted.png"
echo "6 passed, 0 failed"
