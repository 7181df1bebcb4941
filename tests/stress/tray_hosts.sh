#!/usr/bin/env bash
# Kills the tray host under the running app and starts it again, many times:
# trayer (XEmbed, Qt's tray icon) and xfce4-panel under openbox (our
# StatusNotifierItem). Each round: the icon is back by itself, and a click on
# it opens the panel. Prints one Markdown row per host for
# docs/reliability.md: rounds, failures, how long the icon took to come back
# after the host was up (median and worst), and the rounds over 2 s.
#
#   tests/stress/tray_hosts.sh APP [ROUNDS]   (ROUNDS default 50)
set -euo pipefail
app=$1 rounds=${2:-50}
e2e=$(cd "$(dirname "$0")/../e2e" && pwd)

source "$e2e/headless.sh"
run_headless "$0" "$@"

scratch 0 # rounds can take longer than any test
isolate_home
unset QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/app.ostrel.brimkit"
echo '{"brimkitTimerIsland": false}' >"$XDG_CONFIG_HOME/app.ostrel.brimkit/defaults.json"
fail() { echo "FAIL: $*"; tail -n 30 "$work/app.log" 2>/dev/null || true; exit 1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# <host> <times file> <failures>
report() {
  sort -n "$2" | awk -v host="$1" -v rounds="$rounds" -v failed="$3" '
    { t[NR] = $1; if ($1 > 2000) slow++ }
    END { printf "| %s | %d rounds | %d failed | back after %d ms median, %d ms worst; %d over 2 s |\n",
          host, rounds, failed, t[int((NR + 1) / 2)], t[NR], slow }'
}

# The panel opens from a click at the given point, then closes again.
opens_from() { # <x> <y>
  xdotool mousemove "$1" "$2" click 1
  wait_for 5 panel_shown || return 1
  xdotool key Escape
  wait_for 5 eval '! panel_shown'
}

echo "| host | rounds | outcome | icon back |"
echo "|---|---|---|---|"

# XEmbed: trayer, which Qt docks into.
start_trayer
"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)
wait_for 15 docked ostrel-brimkit || fail "tray icon did not dock"
: >"$work/trayer.times"
failed=0
for ((round = 1; round <= rounds; round++)); do
  kill "$trayer_pid"
  wait_for 5 eval '! tray_up' || fail "trayer did not go"
  start_trayer
  up=$(now_ms)
  if ! wait_for 2 docked ostrel-brimkit; then failed=$((failed + 1)); continue; fi
  echo $(($(now_ms) - up)) >>"$work/trayer.times"
  eval "$(xdotool getwindowgeometry --shell "$docked_id")"
  opens_from $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) || failed=$((failed + 1))
done
report "trayer (XEmbed)" "$work/trayer.times" "$failed"
kill "$app_pid"; wait "$app_pid" || true
kill "$trayer_pid" 2>/dev/null || true

# StatusNotifierItem: xfce4-panel's watcher.
start_openbox
start_xfce_panel
"$app" >"$work/app.log" 2>&1 &
pids+=($!)
wait_for 15 sni_listed || fail "the watcher does not list the item"
: >"$work/sni.times"
failed=0
icon_at() { # the icon's centre in the bar, into cx and cy
  import -window root -crop 1280x32+0+0 +repage "$work/bar.png"
  read -r W H X Y < <(convert "$work/bar.png" -fuzz 10% -trim -format '%w %h %X %Y\n' info: 2>/dev/null) \
    && ((W >= 10 && H >= 10 && W <= 40)) && cx=$((X + W / 2)) cy=$((Y + H / 2))
}
for ((round = 1; round <= rounds; round++)); do
  kill "$panel_pid"
  wait_for 10 eval '! sni_hosting' || fail "the watcher outlived the panel"
  start_xfce_panel
  up=$(now_ms)
  if ! wait_for 2 sni_listed; then failed=$((failed + 1)); continue; fi
  echo $(($(now_ms) - up)) >>"$work/sni.times"
  wait_for 5 icon_at && opens_from "$cx" "$cy" || failed=$((failed + 1))
done
report "xfce4-panel (StatusNotifierItem)" "$work/sni.times" "$failed"
