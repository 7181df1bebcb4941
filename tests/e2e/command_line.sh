#!/usr/bin/env bash
# The command line with no display: --help and --version answer, an unknown
# option is named and exits 2, and a start outside a desktop session says why
# in one line and exits 1.
set -euo pipefail
app=$1
fail() { echo "FAIL: $*"; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" "$@"; }

help=$(run --help) || fail "--help exited with $?"
[[ $help == "Usage: ostrel-brimkit [options]"* && $help == *--deliver-due-alarms* ]] || fail "help: $help"
[[ $(run -v) =~ ^ostrel-brimkit\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version: $(run -v)"
status=0; error=$(run --bogus 2>&1) || status=$?
[[ $status == 2 && $error == *"Unknown option 'bogus'"* ]] || fail "unknown option: $status, $error"
status=0; error=$(run 2>&1) || status=$?
[[ $status == 1 && $error == "Ostrel Brimkit needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set." ]] \
  || fail "no display: $status, $error"
echo "4 passed, 0 failed"
