#!/usr/bin/env bash
# Starts Sorvant from a build folder, after writing a demo log to open.
set -euo pipefail

build=${1:-build}
app="$build/app/sorvant"
maker="$build/tools/make-sample-log"
demo_dir="$HOME/SorvantDemo"
demo="$demo_dir/demo-dryer.dat"

for f in "$app" "$maker"; do
  if [ ! -x "$f" ]; then
    echo "run.sh: $f is missing; build first with: make build" >&2
    exit 1
  fi
done

# A demo log of our own, two days of drying, so a new user has something to
# open at once. An existing one is left alone.
# The first time, the open dialog is pointed at it through the command line.
args=()
mkdir -p "$demo_dir"
if [ ! -s "$demo" ]; then
  "$maker" "$demo" --records 14400
  echo "Wrote a demo log: $demo (choose File > Open and pick it)"
  args=("$demo_dir/")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
  echo "Start Sorvant from a desktop session, or run it on a virtual screen:" >&2
  echo "  xvfb-run -a $app" >&2
  exit 1
fi

exec "$app" "${args[@]}"
