#!/usr/bin/env bash
# End to end: the tool panel of the real app under Xvfb with trayer and dunst,
# as the keyboard, the mouse and a screen reader (AT-SPI) meet it. A click on
# the tray icon opens it; every tool and the settings are visited from the
# keyboard, each listed over AT-SPI with every control named, with a
# screenshot of each. Then, with the mouse where it matters: Escape closes an
# open list before the tool and the panel; a double click on "Add alarm" or on
# a star never acts on something that moved under it; the message bar moves
# nothing; a link with tracking parameters is cleaned and opened in a browser
# known only by its desktop entry; the panel steps aside for "Save PNG…" and
# "Pick from screen" and comes back where it was with the result.
set -euo pipefail
app=$1 recorder=$2 shots=$3

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

start_x_test panel
alarms=$work/data/app.ostrel.brimkit/alarms.json
defaults=$work/config/app.ostrel.brimkit/defaults.json
atspi=$(dirname "$0")/atspi.py
fail_logs+=("$alarms")
panel() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' 2>/dev/null | head -n1; }
panel_hidden() { [[ -z $(panel) ]]; }
shot() { sleep 0.3; import -window "$(panel)" "$shots/panel-$1.png"; }
screen() { sleep 0.3; import -window root "$shots/panel-$1.png"; }
keys() { xdotool key --delay 40 "$@"; sleep 0.2; }
ask() { echo "$*" >&"${ATSPI[1]}"; local reply; read -r reply <&"${ATSPI[0]}"; echo "$reply"; } # over AT-SPI
at() { local xy; xy=$(ask at "$1"); [[ $xy != none ]] && echo "$xy"; } # the centre of a control by its name
click_on() { # <accessible name> [repeat]
  local xy
  xy=$(at "$1") || fail "no control '$1' on screen"
  xdotool mousemove $xy click --repeat "${2:-1}" --delay 90 1
  sleep 0.3
}
listed() { [[ $(ask walk Ostrel Brimkit) == ok* ]]; }
walk() {
  local result
  result=$(ask walk Ostrel Brimkit)
  [[ $result == ok* ]] || fail "the panel over AT-SPI, $1: $result"
}
alarms_are() { # <python expression over the titles and fired flags, in file order>
  python3 - "$alarms" "$1" <<'PY'
import json, sys
with open(sys.argv[1], encoding="utf-8") as f:
    rows = [(a["title"], "firedAt" in a) for a in json.load(f)["alarms"]]
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}
stored() { python3 -c "import json,sys; print(json.load(open(sys.argv[1])).get(sys.argv[2], ''))" "$defaults" "$1"; }

# A browser known only by its desktop entry, the recorder as its program.
mkdir -p "$work/data/applications" "$work/data/app.ostrel.brimkit"
printf '[Desktop Entry]\nType=Application\nName=Stand-in Browser\nExec=%s %s %%u\nMimeType=text/html;x-scheme-handler/https;\n' \
  "$recorder" "$work/browser.args" >"$work/data/applications/standin-browser.desktop"
# An alarm due a minute before this run (it shows as missed) and ten ahead.
python3 - "$alarms" <<'PY'
import json, sys, time, uuid
now = time.time() - 978307200
rows = [{"id": "0B7C2E7A-4B1D-4C39-9E4A-2D7B8C6A1F03", "title": "Missed call", "date": now - 60, "timeZoneID": "UTC"}]
rows += [{"id": str(uuid.uuid4()).upper(), "title": f"Evening {i}", "date": now + 86400 + i * 3600, "timeZoneID": "UTC"}
         for i in range(1, 11)]
json.dump({"version": 1, "alarms": rows}, open(sys.argv[1], "w"))
PY

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
dunst >/dev/null 2>&1 &
pids+=($!)
wait_for 10 notifications_up || fail "dunst did not start"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
wait_for 15 docked ostrel-brimkit || fail "tray icon did not dock"
coproc ATSPI { /usr/bin/python3 "$atspi" "$app_pid"; }
pids+=($ATSPI_PID)
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
icon_x=$((X + WIDTH / 2)) icon_y=$((Y + HEIGHT / 2))
open_panel() { # a click the icon was not ready for is made again
  local attempt
  for attempt in 1 2 3; do
    xdotool mousemove "$icon_x" "$icon_y" click 1
    wait_for 3 panel_shown && return 0
  done
  fail "a click on the tray icon did not open the panel"
}
open_panel
shot opened
wait_for 10 listed || walk opened
echo "ok: a click on the tray icon opens the panel; AT-SPI lists it, every control named"

# The first card has the keyboard. Space opens a tool, Escape closes it and
# hands the keyboard back to its card, Tab Tab passes the star to the next card.
for tool in awake timer alarms links apps colors text qr; do
  keys space
  shot "$tool"
  walk "$tool"
  keys Escape Tab Tab
done
# Past the last star: Quit, then Customize tools.
keys Tab space
shot customize
walk customize
keys Escape Tab
echo "ok: every tool and the settings open and close from the keyboard, named for a screen reader"

# Escape closes an open list first, then the tool, then the panel.
keys space
at "Start keeping awake" >/dev/null || fail "Keep Awake did not open"
keys space # the duration list
screen awake-list-open
keys Escape
panel_shown && at "Start keeping awake" >/dev/null || fail "Escape on the open list closed more than the list"
keys Escape
panel_shown && ! at "Start keeping awake" >/dev/null || fail "the second Escape did not close just the tool"
keys Escape
wait_for 3 panel_hidden || fail "the third Escape did not close the panel"
echo "ok: Escape closes the list, then the tool, then the panel"

# Alarms, with eleven saved and the list at its top: a double click on Add
# adds one alarm and removes none, whatever the add moved.
open_panel
click_on "Alarms, Due"
add_at=$(at "Add alarm")
click_on "Add alarm" 2
[[ $(at "Add alarm") == "$add_at" ]] || fail "adding scrolled the list"
wait_for 3 alarms_are 'len(rows) == 12 and ("Evening 7", False) in rows' || fail "a double click on Add did not add exactly one alarm"
sleep 0.5
alarms_are 'len(rows) == 12' || fail "the double click on Add removed an alarm"
shot alarms-double-click
echo "ok: a double click on Add alarm adds one and cancels nothing"
# Add Standup, then Tab past the form to the first row, the missed alarm, and dismiss it.
click_on "Title (optional)"
xdotool type --delay 10 'Standup'
keys Return
wait_for 3 alarms_are 'len(rows) == 13 and ("Standup", False) in rows' || fail "Standup was not added"
shot alarms-added
keys Tab Tab Tab space
wait_for 3 alarms_are '("Missed call", True) not in rows and len(rows) == 12' || fail "the missed alarm was not dismissed"
shot alarms-dismissed
echo "ok: an alarm added and a missed one dismissed"

# A double click on a star stars and unstars the same tool: the cards wait
# for the pointer to leave before they re-order.
click_on "Favorite Colors" 2
[[ $(stored brimkitFavorites) == awake,timer ]] || fail "a double click on a star left '$(stored brimkitFavorites)'"
click_on "Favorite Colors"
before=$(at "Colors")
xdotool mousemove 5 790
sleep 0.3
after=$(at "Colors")
[[ $before != "$after" ]] || fail "the starred card did not move once the pointer left"
shot starred
echo "ok: starring re-orders only once the pointer has left the grid"

# Clean Links: the message bar comes and goes without moving anything.
click_on "Clean Links"
click_on "Link"
xdotool type --delay 10 'https://example.com/article?utm_source=news&id=7&utm_medium=mail'
click_on "Clean URL"
open_at=$(at "Open link")
click_on "Copy cleaned URL"
at "Dismiss message" >/dev/null || fail "no message after copying"
[[ $(at "Open link") == "$open_at" ]] || fail "the message moved the controls"
shot links-message
click_on "Dismiss message"
[[ $(at "Open link") == "$open_at" ]] || fail "dismissing the message moved the controls"
echo "ok: the message bar moves nothing"

# The stand-in browser is offered and receives the cleaned link.
click_on "Refresh browsers"
at "Found 1 browser." >/dev/null || fail "Refresh browsers said nothing"
# (A list reads as its current choice.)
click_on "Choose a browser"
keys Escape
panel_shown && at "Refresh browsers" >/dev/null || fail "Escape on the open browser list closed more than the list"
click_on "Choose a browser"
keys Down Return
shot links-browser
click_on "Open link"
wait_for 5 test -s "$work/browser.args" || fail "the browser was not started"
opened=$(tr '\0' '\n' <"$work/browser.args" | sed -n 2p)
[[ $opened == 'https://example.com/article?id=7' ]] || fail "the browser got '$opened'"
[[ $(stored brimkitBrowser) == standin-browser ]] || fail "the choice was stored as '$(stored brimkitBrowser)'"
echo "ok: the cleaned link opened in a browser known only by its desktop entry: $opened"

# Save PNG…: the panel steps aside for the dialog and returns where it was.
click_on "QR Code"
click_on "QR code text"
xdotool type --delay 10 'https://example.com/'
click_on "Generate QR code"
where=$(xdotool getwindowgeometry "$(panel)" | grep Position)
click_on "Save PNG…"
wait_for 5 panel_hidden || fail "the panel stayed in front of the save dialog"
sleep 0.5
screen save-dialog
keys ctrl+a
xdotool type --delay 10 "$work/code"
keys Return
wait_for 5 test -s "$work/code.png" || fail "the QR code was not saved as code.png"
wait_for 5 panel_shown || fail "the panel did not come back after saving"
[[ $(xdotool getwindowgeometry "$(panel)" | grep Position) == "$where" ]] || fail "the panel came back elsewhere"
shot qr-saved
echo "ok: Save PNG… saved code.png and the panel came back where it was"

# Pick from screen: the panel steps aside, a click on the (black) desktop
# picks, and the panel returns showing the colour.
click_on "Colors"
click_on "Pick from screen"
wait_for 5 panel_hidden || fail "the panel stayed over the screen to pick from"
sleep 1
xdotool mousemove 40 700 click 1
wait_for 5 panel_shown || fail "the panel did not come back after picking"
picked=$(ask text HEX color)
[[ $picked == '#000000' ]] || fail "the picked colour reads '$picked'"
shot colors-picked
echo "ok: Pick from screen picked $picked and the panel came back"

# A short hex colour, then Copy HEX.
click_on "HEX color"
keys ctrl+a
xdotool type --delay 10 'abc'
click_on "Copy HEX"
shot colors-copied
copied=$(xclip -o -selection clipboard 2>/dev/null || true)
[[ $copied == '#AABBCC' ]] || fail "the clipboard holds '$copied'"
echo "ok: Copy HEX put $copied on the clipboard"
keys Escape Escape
wait_for 3 panel_hidden || fail "Escape did not close the panel"

# Hidden over 5 s, the panel gives back its window; a click makes it again.
sleep 6
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
wait_for 5 panel_shown || fail "the panel did not come back after giving back its window"
shot reopened
keys Escape
echo "ok: the panel reopens after giving back its window"

kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[[ $status == 0 ]] || fail "app exited with $status after SIGTERM"
echo "1 passed, 0 failed"
