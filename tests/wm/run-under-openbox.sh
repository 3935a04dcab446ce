#!/usr/bin/env bash
# Runs a test program under a real window manager: an Xvfb of its own on a
# display number the server picks itself, with openbox managing it. Every
# wait is bounded, and both servers are stopped however the run ends.
set -u
start_limit=${SORVANT_WM_START_SECONDS:-30}
run_limit=${SORVANT_WM_RUN_SECONDS:-180}

for tool in Xvfb openbox timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-under-openbox: $tool is not installed (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-wm.XXXXXX")
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$wm_pid" ] && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Waits until the file exists and is not empty, while the process lives.
wait_for_file() {
    local file=$1 pid=$2 what=$3 deadline=$((SECONDS + start_limit))
    while [ ! -s "$file" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "run-under-openbox: $what ended before it was ready" >&2
            return 1
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "run-under-openbox: $what not ready after ${start_limit}s" >&2
            return 1
        fi
        sleep 0.1
    done
}

# -displayfd: the server takes the first free display and writes its number.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for_file "$work/display" "$xvfb_pid" Xvfb || { cat "$work/xvfb.log" >&2; exit 1; }
display=":$(tr -dc 0-9 <"$work/display")"

# openbox runs its start-up command once it manages the screen.
DISPLAY=$display openbox --sm-disable --startup "touch $work/wm-ready-flag" >"$work/openbox.log" 2>&1 &
wm_pid=$!
deadline=$((SECONDS + start_limit))
while [ ! -e "$work/wm-ready-flag" ]; do
    if ! kill -0 "$wm_pid" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
        echo "run-under-openbox: openbox did not start" >&2
        cat "$work/openbox.log" >&2
        exit 1
    fi
    sleep 0.1
done

DISPLAY=$display QT_QPA_PLATFORM=xcb timeout --kill-after=10 "$run_limit" "$@"
