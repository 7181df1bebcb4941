#!/usr/bin/env bash
# Start-up time from exec to the tray icon docked in trayer: the installed
# program against the bare tray program, measured the same way, under Xvfb.
#   bench/startup_time.sh <build dir> [runs=15]
# Prints the median and the fastest run of each and their ratio.
set -euo pipefail
build=$(cd "$1" && pwd); runs=${2:-15}
source "$(dirname "$0")/../tests/e2e/headless.sh"
run_headless "$0" "$build" "$runs"

scratch
fail() { echo "FAIL: $*"; exit 1; }
isolate_home
unset QT_QPA_PLATFORM
cmake --install "$build" --prefix "$work/prefix" >/dev/null
start_trayer

# The icon window is mapped only once trayer embeds it; each look costs a few ms.
mapped() { xdotool search --onlyvisible --classname "$1" >/dev/null 2>&1; }
measure() { # <class name> <program>; prints milliseconds
  local start end pid
  start=$(date +%s%N)
  "$2" >/dev/null 2>&1 & pid=$!
  until mapped "$1"; do :; done
  end=$(date +%s%N)
  docked "$1" || fail "$2 mapped a window outside the tray"
  kill -TERM $pid; wait $pid 2>/dev/null || true
  wait_for 5 bash -c "! xdotool search --classname '$1' >/dev/null 2>&1" || true
  echo $(( (end - start) / 1000000 ))
}
summary() { # <label> <times...>
  local label=$1; shift
  printf '%s\n' "$@" | sort -n | awk -v l="$label" '{ t[NR] = $1 } END {
    m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
    printf "%-14s median %6.1f ms, fastest %4d ms over %d runs\n", l, m, t[1], NR; print m > "/dev/stderr" }'
}

bare=() app=()
measure bare-tray "$build/bench/bare-tray" >/dev/null   # warm the file cache
measure ostrel-brimkit "$work/prefix/bin/ostrel-brimkit" >/dev/null
for ((i = 0; i < runs; i++)); do
  bare+=("$(measure bare-tray "$build/bench/bare-tray")")
  app+=("$(measure ostrel-brimkit "$work/prefix/bin/ostrel-brimkit")")
done
summary bare-tray "${bare[@]}" 2>"$work/b"
summary ostrel-brimkit "${app[@]}" 2>"$work/a"
awk -v a="$(cat "$work/a")" -v b="$(cat "$work/b")" 'BEGIN { printf "ratio (medians) %.2fx\n", a / b }'
