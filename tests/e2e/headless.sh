# Shared by the scripts that test real processes under Xvfb; source it, then
# call `start_x_test` (or `scratch`, or set `work` yourself); a script may
# define its own `fail`.
# Re-runs the calling script inside its own X display and session bus.
run_headless() { # "$0" "$@"
  if [[ -z "${BRIMKIT_HEADLESS_INNER:-}" ]]; then
    export BRIMKIT_HEADLESS_INNER=1
    exec "$(dirname "${BASH_SOURCE[0]}")/with-xvfb" dbus-run-session -- "$@"
  fi
}

# A scratch folder `work` and a list `pids` of background processes, both
# cleaned up when the script exits, and a watch for hangs (see below).
scratch() { # [seconds before a hang fails: default 540, 0 for none]
  work=$(mktemp -d)
  pids=()
  trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
  local limit=${1:-540}
  ((limit == 0)) || watch_for_hang "$limit"
}

# ctest ends a test that outlives its time-out (600 s) without a word of
# where it stood; this fails it first, through `fail`, with the screen, the
# logs and the stacks of any app still running (with gdb). A command stuck in
# the foreground holds the trap back, so the script's children are stopped a
# moment later to let it run.
watch_for_hang() { # <seconds>
  local main=$$ stacks=$work/hang-stacks.txt
  trap "cat '$stacks' 2>/dev/null || true; fail 'still running after $1 s'" USR1
  (
    sleep "$1" &
    nap=$!
    trap 'kill "$nap" 2>/dev/null; exit 0' TERM
    wait "$nap" || exit 0
    for child in $(pgrep -P "$main"); do
      [[ $(cat "/proc/$child/comm" 2>/dev/null) == ostrel-brimkit ]] && command -v gdb >/dev/null || continue
      echo "--- stacks of the app ($child)"
      timeout 30 gdb -batch -p "$child" -ex 'thread apply all bt' 2>&1 | grep -E '^(Thread|#)' | head -n 200
    done >"$stacks"
    kill -USR1 "$main" 2>/dev/null || exit 0
    sleep 5
    pkill -TERM -P "$main" || true
  ) >/dev/null 2>&1 &
  pids+=($!)
}

# The usual start of a test of windows: a scratch folder, a private home,
# the X display for Qt, the screenshots folder `shots`; `fail` then saves the
# screen as <name>-failure.png there and prints the end of the app's log and
# of every other file added to `fail_logs`.
start_x_test() { # <name>
  scratch
  isolate_home
  unset QT_QPA_PLATFORM
  mkdir -p "$shots"
  failure_shot=$shots/$1-failure.png
  fail_logs=("$work/app.log")
}
fail() {
  echo "FAIL: $*"
  [[ -z ${failure_shot:-} ]] || import -window root "$failure_shot" 2>/dev/null || true
  local log
  for log in "${fail_logs[@]}"; do echo "--- ${log#"$work"/}"; tail -n 40 "$log" 2>/dev/null || true; done
  exit 1
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

# The window with the keyboard focus has this title.
focused_window_is() { [[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" == "$1" ]]; }

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

# A window of the given class sits inside trayer's panel (its tray icon
# docked); its id goes to `docked_id`.
docked() { # <window class name>
  local w parent
  for w in $(xdotool search --onlyvisible --classname "$1" 2>/dev/null); do
    parent=$w
    while parent=$(xwininfo -children -id "$parent" | awk '/Parent window id/ {print $4}') && [[ "$parent" != 0x0 ]]; do
      xprop -id "$parent" WM_CLASS 2>/dev/null | grep -q '"trayer"' && docked_id=$w && return 0
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
hold_focus() {
  xmessage -title focus-holder "Focus stays here" 2>/dev/null &
  pids+=($!)
  wait_for 10 focused_window_is focus-holder || fail "the focus holder did not get the focus"
  holder=$(xdotool getwindowfocus)
}

tray_up() { xdotool search --classname panel >/dev/null 2>&1; }
start_trayer() { # its process id goes to `trayer_pid`
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
  trayer_pid=$!
  pids+=($trayer_pid)
  wait_for 10 tray_up || fail "trayer did not start"
}

# xfce4-panel as a StatusNotifierItem host: one 32-pixel bar at the top, a
# spacer, then the status tray at the right. Its settings come from xfconfd,
# which D-Bus starts with the bus's environment. Needs `isolate_home` and a
# window manager (openbox).
start_xfce_panel() {
  local channel=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  if [[ ! -f $channel/xfce4-panel.xml ]]; then
    mkdir -p "$channel"
    cat >"$channel/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
XML
    dbus-update-activation-environment XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR
  fi
  NO_AT_BRIDGE=1 xfce4-panel >>"$work/panel.log" 2>&1 &
  panel_pid=$!
  pids+=($panel_pid)
  wait_for 20 sni_hosting || fail "xfce4-panel hosts no status notifier items"
}

sni_watcher() { # <property>
  dbus-send --session --print-reply=literal --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "string:$1" 2>/dev/null
}
sni_hosting() { sni_watcher IsStatusNotifierHostRegistered | grep -q true; }
# The app's connection on the session bus, which also carries its tray item.
app_bus_name() {
  dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetNameOwner \
    string:app.ostrel.brimkit 2>/dev/null | tr -d ' '
}
sni_listed() { local name; name=$(app_bus_name) && [[ -n $name ]] && sni_watcher RegisteredStatusNotifierItems | grep -qF "$name"; }
