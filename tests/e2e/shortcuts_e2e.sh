#!/usr/bin/env bash
# End to end: global shortcuts of the real app on an X11 session (Xvfb and
# openbox). With another window focused, key presses start a focus session,
# keep the system awake through the (fake) portal's inhibitor and put the
# cleaned link on the clipboard with a notification, and the focus stays
# where it was. A key openbox already holds is reported, a damaged stored
# entry is ignored with a warning, and the panel opens by its own shortcut on
# its Shortcuts settings (screenshots in $3).
set -euo pipefail
app=$1 portal=$2 shots=$3

source "$(dirname "$0")/headless.sh"
run_headless "$0" "$@"

start_x_test shortcuts
focus_running() { [[ "$(title)" =~ ^2[45]: ]]; }
focus_kept() { [[ $(xdotool getwindowfocus) == "$holder" ]] || fail "$1 took the focus"; }
clipboard_is() { [[ "$(xclip -o -selection clipboard 2>/dev/null)" == "$1" ]]; }
notified() { (($(dunstctl count displayed 2>/dev/null || echo 0) > 0)); }

# openbox holds Ctrl+Alt+K for itself.
cat >"$work/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard>
  <keybind key="C-A-k"><action name="Execute"><command>true</command></action></keybind>
</keyboard></openbox_config>
XML
start_openbox --config-file "$work/rc.xml"
dunst >/dev/null 2>&1 &
pids+=($!)
"$portal" >"$work/portal.log" 2>&1 &
pids+=($!)
wait_for 10 grep -qs ready "$work/portal.log" || fail "fake portal did not start"

mkdir -p "$work/config/app.ostrel.brimkit"
cat >"$work/config/app.ostrel.brimkit/defaults.json" <<'JSON'
{"brimkitShortcuts": "{\"startFocus\":\"Ctrl+Alt+F\",\"toggleAwake\":\"Ctrl+Alt+W\",\"cleanLink\":\"Ctrl+Alt+L\",\"cancelTimer\":\"Ctrl+Alt+K\",\"togglePanel\":\"Ctrl+Alt+O\",\"launchRockets\":\"Ctrl+Alt+R\"}"}
JSON

hold_focus

"$app" >"$work/app.log" 2>&1 &
pids+=($!)
# The keys are grabbed once the one that openbox holds has been reported.
wait_for 15 grep -q 'Ctrl+Alt+K is grabbed by another program' "$work/app.log" || fail "the held key was not reported"
grep -q 'ignoring the stored shortcut "launchRockets"' "$work/app.log" || fail "the unknown stored entry was not reported"
echo "ok: a key held by openbox is reported, an unknown stored entry ignored"

xdotool key ctrl+alt+f
wait_for 5 focus_running || fail "Ctrl+Alt+F started no focus session (title '$(title)')"
focus_kept "Ctrl+Alt+F"
echo "ok: Ctrl+Alt+F started a focus session, the focus stayed"

xdotool key ctrl+alt+w
wait_for 10 grep -q '^inhibit .* 4 Ostrel Brimkit keep awake$' "$work/portal.log" || fail "Ctrl+Alt+W took no inhibitor"
focus_kept "Ctrl+Alt+W"
echo "ok: Ctrl+Alt+W keeps the system awake"

printf 'https://example.com/p?utm_source=a&id=7' | xclip -selection clipboard
xdotool key ctrl+alt+l
wait_for 5 clipboard_is 'https://example.com/p?id=7' || fail "the clipboard holds '$(xclip -o -selection clipboard)'"
wait_for 5 notified || fail "no notification about the cleaned link"
focus_kept "Ctrl+Alt+L"
echo "ok: Ctrl+Alt+L put the cleaned link on the clipboard and said so"

# The panel by its shortcut; Customize tools sits before the first card. The
# Shortcuts rows are at the foot of the settings.
xdotool key ctrl+alt+o
wait_for 5 panel_shown || fail "Ctrl+Alt+O did not open the panel"
xdotool key shift+Tab space
sleep 0.5
panel=$(xdotool search --onlyvisible --name '^Ostrel Brimkit$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$panel")"
xdotool mousemove $((X + WIDTH - 60)) $((Y + HEIGHT / 2))
for _ in 1 2 3 4 5; do xdotool click 5; done
sleep 0.5
import -window "$panel" "$shots/shortcuts-settings.png"
xdotool key ctrl+alt+o
wait_for 5 eval '! panel_shown' || fail "Ctrl+Alt+O did not close the panel"
echo "ok: Ctrl+Alt+O opens and closes the panel"
echo "1 passed, 0 failed"
