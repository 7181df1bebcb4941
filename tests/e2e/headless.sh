# Shared by the scripts that test real processes under Xvfb; source it, then
# call `scratch` (or set `work` yourself) and define `fail`.
# Re-runs the calling script inside its own X display and session bus.
run_headless() { # "$0" "$@"
  if [[ -z "${BRIMKIT_HEADLESS_INNER:-}" ]]; then
    export BRIMKIT_HEADLESS_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$@"
  fi
}

# A scratch folder `work` and a list `pids` of background processes, both
# cleaned up when the script exits.
scratch() {
  work=$(mktemp -d)
  pids=()
  trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
}

# Waits until the command succeeds. The seconds are what a quiet machine
# needs; a loaded one gets ten times as long, since a wait that holds ends at
# once and only a hang should fail (BRIMKIT_PATIENCE sets the factor).
wait_for() { # <seconds> <command...>
  local deadline=$((SECONDS + $1 * ${BRIMKIT_PATIENCE:-10})); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# The tool panel is on screen.
panel_shown() { xdotool search --onlyvisible --name '^Ostrel Brimkit$' >/dev/null 2>&1; }

notifications_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.Notifications 2>/dev/null | grep -q true
}

# The tray title of the running app, empty when it does not answer.
title() {
  dbus-send --session --print-reply=literal --dest=app.ostrel.brimkit /app/ostrel/brimkit \
    app.ostrel.brimkit.StatusTitle 2>/dev/null | sed 's/^ *//'
}

# A private home for the app: its own config, data and runtime folders, and
# no system bus (keep-awake then comes from the portal, if any).
isolate_home() {
  export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
  mkdir -p "$work/config" "$work/data"
  mkdir -p -m 700 "$work/run"
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/no-system-bus
}

# A window of the given class sits inside trayer's panel (its tray icon docked).
docked() { # <window class name>
  local w parent
  for w in $(xdotool search --onlyvisible --classname "$1" 2>/dev/null); do
    parent=$w
    while parent=$(xwininfo -children -id "$parent" | awk '/Parent window id/ {print $4}') && [[ "$parent" != 0x0 ]]; do
      xprop -id "$parent" WM_CLASS 2>/dev/null | grep -q '"trayer"' && return 0
    done
  done
  return 1
}

wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_openbox() { # [openbox options...]
  openbox --sm-disable "$@" >/dev/null 2>&1 &
  pids+=($!)
  wait_for 10 wm_up || fail "openbox did not start"
}

# A window of another program that takes the focus; its id goes to `holder`.
holder_focused() { [[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" == focus-holder ]]; }
hold_focus() {
  xmessage -title focus-holder "Focus stays here" 2>/dev/null &
  pids+=($!)
  wait_for 10 holder_focused || fail "the focus holder did not get the focus"
  holder=$(xdotool getwindowfocus)
}

tray_up() { xdotool search --classname panel >/dev/null 2>&1; }
start_trayer() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
  pids+=($!)
  wait_for 10 tray_up || fail "trayer did not start"
}
