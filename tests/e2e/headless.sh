# Shared by the scripts that test real processes under Xvfb; source it after
# setting `work` (a scratch folder) and defining `fail`.
# Re-runs the calling script inside its own X display and session bus.
run_headless() { # "$0" "$@"
  if [[ -z "${BRIMKIT_HEADLESS_INNER:-}" ]]; then
    export BRIMKIT_HEADLESS_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$@"
  fi
}

wait_for() { # <seconds> <command...>
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

notifications_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.Notifications 2>/dev/null | grep -q true
}

# A private home for the app: its own config, data and runtime folders, and
# no system bus (keep-awake then comes from the portal, if any).
isolate_home() {
  export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
  mkdir -p "$work/config" "$work/data"
  mkdir -p -m 700 "$work/run"
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/no-system-bus
}
