#!/usr/bin/env bash
# Runs one test program headless in a throw-away home, so no test can read or
# write a real user's settings, and removes that home afterwards.
set -u
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-test.XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/cache" "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
export HOME="$sandbox/home"
export XDG_CONFIG_HOME="$sandbox/config"
export XDG_DATA_HOME="$sandbox/data"
export XDG_CACHE_HOME="$sandbox/cache"
export XDG_RUNTIME_DIR="$sandbox/runtime"
export TMPDIR="$sandbox"
export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# Only the sanitizer build reads this: leaks of system libraries, not ours.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
"$@"
