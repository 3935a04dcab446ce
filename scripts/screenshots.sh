#!/usr/bin/env bash
# Retakes every picture the README shows, from the real program: Sorvant runs
# on a virtual screen (Xvfb with openbox) with a demo log of make-sample-log,
# driven by xdotool as a user drives it, and ImageMagick's import saves what
# the screen shows. The spreadsheet printout is printed by sorvant-export and
# rendered by pdftoppm. Nothing of the user's own settings is read or written.
#
#   scripts/screenshots.sh [BUILD] [OUT]      (make screenshots)
#
# To add a picture: drive the window with the helpers below (menu, keys,
# click_in, drag_in, wait_for_window) and save it with shoot.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
out=$(mkdir -p "${2:-docs}" && cd "${2:-docs}" && pwd)
app="$build/app/sorvant"
maker="$build/tools/make-sample-log"
exporter="$build/tools/sorvant-export"

for f in "$app" "$maker" "$exporter"; do
    [ -x "$f" ] || { echo "screenshots: $f is missing; build first with: make build" >&2; exit 1; }
done
for tool in Xvfb openbox xdotool import pdftoppm; do
    command -v "$tool" >/dev/null 2>&1 \
        || { echo "screenshots: $tool is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-shots.XXXXXX")
xvfb_pid="" wm_pid="" app_pid=""
cleanup() {
    # The program is ended outright: it has nothing to save here.
    [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null
    for pid in "$wm_pid" "$xvfb_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A home of its own: settings, print settings and the demo log live there.
mkdir -p "$work/home" "$work/config" "$work/runtime" "$work/logs"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY

# Two days of drying at the first start's 5 minute averaging; a shorter log
# for the printed page.
"$maker" "$work/logs/dryer3.dat" --records 14400 --seed 7 >/dev/null
"$maker" "$work/logs/short.dat" --records 3000 --seed 7 >/dev/null

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "screenshots: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
openbox --sm-disable --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done
[ -e "$work/wm-ready" ] || { echo "screenshots: openbox did not start" >&2; exit 1; }
export QT_QPA_PLATFORM=xcb

# --- helpers ---------------------------------------------------------------
settle() { sleep "${1:-0.8}"; }
# The id of the window whose title is exactly $1, once it shows (20 s at most).
wait_for_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "screenshots: no window \"$1\" showed" >&2
    return 1
}
keys() { xdotool key --clearmodifiers "$@"; settle 0.4; }
# Opens menu $1 by its access letter and picks item $2 by its access letter.
menu() { keys "alt+$1"; keys "$2"; }
# A click at x,y of window $1's client area.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; settle; }
# A drag with button $6 from x1,y1 to x2,y2 of window $1, in small steps.
drag_in() {
    local win=$1 x1=$2 y1=$3 x2=$4 y2=$5 button=${6:-1} i
    xdotool mousemove --window "$win" "$x1" "$y1" mousedown "$button"
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --window "$win" $((x1 + (x2 - x1) * i / 8)) $((y1 + (y2 - y1) * i / 8))
        sleep 0.05
    done
    xdotool mouseup "$button"
    settle 1.2
}
# Saves window $1 (its client area, as the README shows it) as $2.
shoot() {
    settle
    import -window "$1" "$out/$2"
    echo "screenshots: $out/$2"
}

# Limits on two quantities, so the overview and Find Out of Range show
# spans; the other values as a first run would leave them.
mkdir -p "$work/config/Sorvant"
cat >"$work/config/Sorvant/Sorvant.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]
"FilePath"="$work/logs/"
"SampleInterval"=dword:00000019
"MRU1"=""
"MRU2"=""
"MRU3"=""
"MRU4"=""
"MRU5"=""
"MoistureOutLimits"="14:16"
"GrainTempInDryerLimits"=":178"
"OverviewWindow"="60,420,1100,380"
REG

# --- the main window -------------------------------------------------------
# The log's folder on the command line: the open dialog starts there.
"$app" "$work/logs/" >"$work/sorvant.log" 2>&1 &
app_pid=$!
main=$(wait_for_window "Sorvant v1.2")
xdotool windowmove "$main" 20 20
settle
menu f o
dialog=$(wait_for_window "Select Data Log file")
xdotool type --delay 20 "dryer3.dat"
keys Return
main=$(wait_for_window "Sorvant v1.2 - dryer3.dat")
settle 1.5
shoot "$main" main-window.png

# Where the window's controls are, in its client area: the menu bar, then the
# toolbar (buttons 39 wide with 8-pixel separators), then the view above the
# 20-pixel status panel.
eval "$(xdotool getwindowgeometry --shell "$main" | grep -E '^(WIDTH|HEIGHT)=')"
width=$WIDTH height=$HEIGHT
menu_height=18
button_y=$((menu_height + 25))
button_x() { echo $((23 + $1 * 49)); } # centre of toolbar button $1 (0 is Open)
view_top=$((menu_height + 50))
view_bottom=$((height - 20 - 17))

# --- the chart: a page, zoomed with value markers, in 3D --------------------
click_in "$main" "$(button_x 2)" "$button_y" # Change View
shoot "$main" chart-2d.png

menu e p
prefs=$(wait_for_window "Preferences")
click_in "$prefs" $((168 + 19 + 8)) $((8 + 55 + 8)) # Show Markers
click_in "$prefs" $((128 + 37)) $((200 + 12))       # OK
xdotool windowactivate "$main"; settle
# A rectangle dragged to the right over a third of the plot zooms in.
drag_in "$main" $((width * 35 / 100)) $((view_top + 80)) $((width * 60 / 100)) $((view_bottom - 150))
shoot "$main" chart-zoomed.png
# Dragged to the left: back to the page; then markers off and 3D on.
drag_in "$main" $((width * 60 / 100)) $((view_top + 80)) $((width * 35 / 100)) $((view_bottom - 150))
menu e p
prefs=$(wait_for_window "Preferences")
click_in "$prefs" $((168 + 19 + 8)) $((8 + 55 + 8))  # Show Markers off
click_in "$prefs" $((168 + 19 + 8)) $((8 + 106 + 8)) # View Chart in 3D
click_in "$prefs" $((128 + 37)) $((200 + 12))        # OK
xdotool windowactivate "$main"; settle
shoot "$main" chart-3d.png
click_in "$main" "$(button_x 2)" "$button_y" # back to the spreadsheet

# --- the print preview and the Print Data Sheet dialog ----------------------
keys ctrl+shift+p
preview=$(wait_for_window "Print Preview")
settle 1.5
shoot "$preview" print-preview.png
keys Escape
xdotool windowactivate "$main"; settle
menu f s
sheet=$(wait_for_window "Print Data Sheet")
for tab in general headers-footers margins preferences; do
    shoot "$sheet" "print-settings-$tab.png"
    keys ctrl+Tab
done
keys Escape

# --- the overview of the whole log and Find Out of Range --------------------
xdotool windowactivate "$main"; settle
keys ctrl+shift+o
overview=$(wait_for_window "Overview - dryer3.dat")
settle 1.5
shoot "$overview" overview.png
xdotool windowactivate "$main"; settle
menu v r
find=$(wait_for_window "Find Out of Range")
settle 1
shoot "$find" find-out-of-range.png
keys Escape

# --- a printed page of the spreadsheet --------------------------------------
"$exporter" "$work/logs/short.dat" --step 5 --paper A4 --pdf "$work/sheet.pdf"
pdftoppm -f 1 -l 1 -r 50 -png -singlefile "$work/sheet.pdf" "$out/spreadsheet-printout-1"
echo "screenshots: $out/spreadsheet-printout-1.png"

# --- the first page of a drying report --------------------------------------
"$exporter" "$work/logs/dryer3.dat" --paper A4 --title "Hill Farm, Dryer 2" --limit "Moisture Out:14:16" \
    --limit "Grain Temp in Dryer::178" --report-pdf "$work/report.pdf"
pdftoppm -f 1 -l 1 -r 80 -png -singlefile "$work/report.pdf" "$out/drying-report-1"
echo "screenshots: $out/drying-report-1.png"
