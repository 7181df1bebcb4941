#!/usr/bin/env bash
# Kill storm: the app's alarms (StormApp: its model, alarm file and
# notification adapter, no windows) killed with SIGKILL at random points while
# it adds, cancels and dismisses alarms, `ostrel-brimkit --deliver-due-alarms`
# run every 100 ms beside it on the same file, alarms falling due throughout.
# Kill points follow the app's own progress (a random number of acknowledged
# changes, then a random pause), so every run reaches every phase at any load.
# Afterwards: the file parsed after every kill, nothing acknowledged lost,
# nothing duplicated, every due alarm shown exactly once, the lock free.
#
#   alarm_storm.sh STORM_APP NOTIFICATION_SERVER OSTREL_BRIMKIT [KILLS]
set -euo pipefail
if [[ -z "${BRIMKIT_STORM_BUS:-}" ]]; then
  BRIMKIT_STORM_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
storm=$1 server=$2 brimkit=$3 kills=${4:-50}
patience=$(( 20 * ${BRIMKIT_PATIENCE:-1} )) # seconds; only against a hang

work=$(mktemp -d)
pids=()
cleanup() {
  touch "$work/stop"
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [[ -n "${keep:-}" ]] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  keep=1
  echo "FAIL: $*"; echo "--- kept in $work"; tail -n 20 "$work/app.log" 2>/dev/null || true
  exit 1
}
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME/app.ostrel.brimkit"
echo '{"brimkitTimerSound":false}' >"$XDG_CONFIG_HOME/app.ostrel.brimkit/defaults.json" # for the delivery: no sound server here
file=$XDG_DATA_HOME/app.ostrel.brimkit/alarms.json
ops=$work/ops.log shown=$work/shown.log
touch "$ops" "$shown"

"$server" "$shown" & pids+=($!)
for ((i = 0; i < patience * 20; i++)); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.Notifications 2>/dev/null | grep -q true && break
  sleep 0.05
done
(while [[ ! -e $work/stop ]]; do
  "$brimkit" --deliver-due-alarms >>"$work/delivery.log" 2>&1 || true
  sleep 0.1
done) & pids+=($!)

parses() { [[ ! -e $file ]] || python3 -c 'import json,sys; a=json.load(open(sys.argv[1])); assert a["version"]==1' "$file"; }
start=$SECONDS
for ((k = 1; k <= kills; k++)); do
  before=$(grep -c '^\(added\|removed\) ' "$ops" || true)
  steps=$((RANDOM % 5))
  "$storm" "$ops" >>"$work/app.log" 2>&1 & app=$!
  for ((w = 0; w < patience * 100; w++)); do
    (( $(grep -c '^\(added\|removed\) ' "$ops" || true) - before >= steps )) && break
    kill -0 "$app" 2>/dev/null || fail "the app ended by itself (kill $k)"
    sleep 0.01
  done
  sleep "0.0$((RANDOM % 10))$((RANDOM % 10))"
  echo "kill $(date +%s.%N)" >>"$ops" # when, to place what a kill cut short
  kill -KILL "$app"; wait "$app" 2>/dev/null || true
  parses || fail "the alarm file does not parse after kill $k"
done
storm_seconds=$((SECONDS - start))
touch "$work/stop"; sleep 0.3
# Everything still upcoming falls due within 3 s; one last delivery tells it.
sleep 3
"$brimkit" --deliver-due-alarms >>"$work/delivery.log" 2>&1 || fail "the last delivery failed (a stale lock?)"

python3 - "$file" "$ops" "$shown" "$kills" "$storm_seconds" <<'PY' || fail "the checks above failed"
import collections, json, os, sys, time
path, ops_path, shown_path, kills, seconds = sys.argv[1:]
archive = json.load(open(path))
alarms = archive["alarms"]
now = time.time() - 978307200
shown = collections.Counter(line.strip() for line in open(shown_path))
asked, acked, gone_acked, cancel, dismiss, issues = set(), {}, set(), {}, {}, []
fired_at, kill_times = {}, []
for line in open(ops_path):
    word, *rest = line.split()
    if word == "add": asked.add(rest[0])
    elif word == "added": acked[rest[0]] = rest[1]
    elif word == "removed": gone_acked.add(rest[0])
    elif word == "cancel": cancel[rest[0]] = rest[1]
    elif word == "dismiss": dismiss[rest[0]] = rest[1]; fired_at[rest[1]] = float(rest[2])
    elif word == "kill": kill_times.append(float(rest[0]) - 978307200)
    elif word == "issue": issues.append(line.strip())
errors, unsent, owed = [], [], 0
ids = [a["id"] for a in alarms]; titles = [a["title"] for a in alarms]
fired_at.update({a["title"]: a["firedAt"] for a in alarms if "firedAt" in a})
if len(set(ids)) != len(ids) or len(set(titles)) != len(titles): errors.append("duplicated alarms in the file")
for id_, title in acked.items():
    if id_ not in ids and id_ not in cancel and id_ not in dismiss: errors.append(f"acknowledged add lost: {title}")
for a in alarms:
    if a["title"] not in asked: errors.append(f"alarm nobody added: {a['title']}")
    if a["id"] in gone_acked: errors.append(f"acknowledged removal undone: {a['title']}")
    due = a["date"] <= now
    if due != ("firedAt" in a): errors.append(f"{a['title']}: due {due}, fired {'firedAt' in a}")
    expected = 1 if due else 0
    owed += expected
    if shown[a["title"]] == 0 and expected == 1: unsent.append(a["title"])
    elif shown[a["title"]] != expected: errors.append(f"{a['title']} shown {shown[a['title']]} times, not {expected}")
for id_, title in {**cancel, **dismiss}.items():
    if id_ in ids: continue
    expected = 1 if id_ in dismiss else 0
    owed += expected
    if shown[title] == 0 and expected == 1: unsent.append(title)
    elif shown[title] != expected: errors.append(f"{title} (removed) shown {shown[title]} times, not {expected}")
for title, n in shown.items():
    if n > 1: errors.append(f"{title} shown {n} times")
errors += issues
told = sum(shown.values())
print(f"{kills} kills in {seconds} s: {len(asked)} adds asked, {len(acked)} acknowledged, "
      f"{len(cancel)} cancels and {len(dismiss)} dismissals asked, {len(gone_acked)} acknowledged; "
      f"{told} notifications for {owed} due alarms; {len(alarms)} alarms in the file at the end")
# Recording an alarm as told and sending it are two steps: a kill between
# them loses that one notification. The long run allows none; the suite's
# short run allows a few (BRIMKIT_STORM_UNSENT_ALLOWED), and says so.
allowed = int(os.environ.get("BRIMKIT_STORM_UNSENT_ALLOWED", "0"))
def cut_short(title):
    # The first kill after the firing was recorded: how long after.
    after = [k - fired_at[title] for k in kill_times if title in fired_at and k >= fired_at[title]]
    return f"{title} (killed {min(after) * 1000:.0f} ms after its firing)" if after else title
if unsent:
    print(f"{len(unsent)} recorded as told but never sent: {', '.join(map(cut_short, unsent))}")
if len(unsent) > allowed: errors += [f"{t} recorded as told but never sent" for t in unsent]
for e in errors[:20]: print("FAIL:", e)
sys.exit(1 if errors else 0)
PY
