#!/usr/bin/env bash
# End to end: the tool panel of the real app under Xvfb with trayer and dunst.
# A click on the tray icon opens it; every tool and the settings are visited
# from the keyboard, with a screenshot of each; a link with tracking
# parameters is cleaned and opened in a stand-in browser (Firefox's desktop
# entry running a program that records its arguments); an alarm missed while
# the app was closed is dismissed and a new one added; a colour is copied and
# read back from the clipboard.
set -euo pipefail
app=$1 recorder=$2 shots=$3

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

scratch
isolate_home
unset QT_QPA_PLATFORM
mkdir -p "$shots"
alarms=$work/data/app.ostrel.brimkit/alarms.json

fail() {
  echo "FAIL: $*"
  import -window root "$shots/panel-failure.png" 2>/dev/null || true
  echo "--- alarm file"; cat "$alarms" 2>/dev/null || true; echo
  echo "--- app log"; tail -n 40 "$work/app.log" 2>/dev/null || true
  exit 1
}
panel() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' 2>/dev/null | head -n1; }
shot() { sleep 0.3; import -window "$(panel)" "$shots/panel-$1.png"; }
keys() { xdotool key --delay 40 "$@"; sleep 0.2; }
alarms_are() { # <python expression over the titles and fired flags, in file order>
  python3 - "$alarms" "$1" <<'PY'
import json, sys
with open(sys.argv[1], encoding="utf-8") as f:
    rows = [(a["title"], "firedAt" in a) for a in json.load(f)["alarms"]]
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}

# A browser for the links tool: Firefox's desktop id, the recorder as its program.
mkdir -p "$work/data/applications" "$work/data/app.ostrel.brimkit"
printf '[Desktop Entry]\nType=Application\nName=Firefox\nExec=%s %s %%u\n' "$recorder" "$work/browser.args" \
  >"$work/data/applications/firefox.desktop"
# An alarm due a minute before this run: it shows as missed.
due=$(python3 -c "import time; print(time.time() - 978307200 - 60)")
printf '{"version":1,"alarms":[{"id":"0B7C2E7A-4B1D-4C39-9E4A-2D7B8C6A1F03","title":"Missed call","date":%s,"timeZoneID":"UTC"}]}' \
  "$due" >"$alarms"

trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
dunst >/dev/null 2>&1 &
pids+=($!)
wait_for 10 notifications_up || fail "dunst did not start"
"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
wait_for 15 docked ostrel-brimkit || fail "tray icon did not dock"
# The tray icon: the app's window in the panel strip (the capsule, showing the
# missed alarm, is larger).
tray_icon() {
  local w
  for w in $(xdotool search --onlyvisible --classname ostrel-brimkit 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    ((HEIGHT <= 32 && Y < 32)) && return 0
  done
  return 1
}
wait_for 5 tray_icon || fail "no tray icon"
sleep 0.5
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
wait_for 5 panel_shown || fail "a click on the tray icon did not open the panel"
shot opened
echo "ok: a click on the tray icon opens the panel"

# The first card has the keyboard. Space opens a tool, Escape closes it and
# hands the keyboard back to its card, Tab Tab passes the star to the next card.
for tool in awake timer alarms links apps colors text qr; do
  keys space
  shot "$tool"
  keys Escape Tab Tab
done
# Past the last star: Quit, then Customize tools.
keys Tab space
shot customize
keys Escape Tab
echo "ok: every tool and the settings open and close from the keyboard"

# Clean Links is the fourth card: type, Clean URL, then past the cleaned link
# and its copy button the browser picker, Firefox, and Open link.
keys Tab Tab Tab Tab Tab Tab space
xdotool type --delay 10 'https://example.com/article?utm_source=news&id=7&utm_medium=mail'
keys Tab Tab space Tab Tab Tab Down Tab Tab space
shot links-opened
wait_for 5 test -s "$work/browser.args" || fail "the browser was not started"
opened=$(tr '\0' '\n' <"$work/browser.args" | sed -n 2p)
[[ $opened == 'https://example.com/article?id=7' ]] || fail "the browser got '$opened'"
echo "ok: the cleaned link opened in the chosen browser: $opened"
keys Escape

# Alarms, two cards back: add Standup, then Tab past the form to the first
# row, the missed alarm, and dismiss it.
keys shift+Tab shift+Tab space
xdotool type --delay 10 'Standup'
keys Return
wait_for 3 alarms_are 'len(rows) == 2 and ("Standup", False) in rows' || fail "Standup was not added"
shot alarms-added
keys Tab Tab Tab space
wait_for 3 alarms_are 'rows == [("Standup", False)]' || fail "the missed alarm was not dismissed"
shot alarms-dismissed
echo "ok: an alarm added and a missed one dismissed"
keys Escape

# Colors, three cards on: a short hex colour, then Copy HEX.
keys Tab Tab Tab Tab Tab Tab space
xdotool type --delay 10 'abc'
keys Tab space
shot colors-copied
copied=$(xclip -o -selection clipboard 2>/dev/null || true)
[[ $copied == '#AABBCC' ]] || fail "the clipboard holds '$copied'"
echo "ok: Copy HEX put $copied on the clipboard"
keys Escape Escape
wait_for 3 eval '! panel_shown' || fail "Escape did not close the panel"

kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[[ $status == 0 ]] || fail "app exited with $status after SIGTERM"
echo "1 passed, 0 failed"
