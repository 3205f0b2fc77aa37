#!/usr/bin/env bash
# Runs the program on a virtual X server with a window manager and a small tray host: the tray icon must
# appear, minimising must hide the window in the tray, and a click on the icon must bring it back. Then, with
# both start-up options on, the program must start hidden in the tray and come back centred.
# Exits 77 (skipped) where no X server can be started.
set -u
program=${1:?usage: tray_x11_test.sh PROGRAM}
for tool in Xvfb icewm trayer xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; head -40 "$work/program.log"; xwininfo -root -tree 2>/dev/null | grep -iE 'tarnwick|trayer' ; exit 1; }

# the program's own temporary home, configuration and temporary folders
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export TEMP=$work/temp TMPDIR=$work/temp XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME/.icewm" "$XDG_CONFIG_HOME" "$TEMP" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Waits up to 20 s for a condition.
until_true() {
    for _ in $(seq 100); do
        eval "$1" && return 0
        sleep 0.2
    done
    return 1
}

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
until_true '[ -s "$work/display" ]' || { echo "skipped: Xvfb did not start"; exit 77; }
export DISPLAY=:$(cat "$work/display")

# a window manager that can minimise, with its own tray switched off, and trayer as the tray host
printf 'ShowTaskBar=0\nTaskBarShowTray=0\n' >"$HOME/.icewm/preferences"
icewm >"$work/icewm.log" 2>&1 &
pids+=($!)
until_true 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "the window manager did not start"
trayer --edge bottom --widthtype request >"$work/trayer.log" 2>&1 &
pids+=($!)
until_true 'xwininfo -root -tree | grep -q "(\"panel\" \"trayer\")"' ||
    fail "the tray host did not start: $(cat "$work/trayer.log")"

start_program() {
    "$program" >"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=($program_pid)
}
stop_program() {
    kill -TERM "$program_pid"
    wait "$program_pid"
    status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
start_program

tray_icon() {
    xwininfo -root -tree | awk '/\("panel" "trayer"\)/ { inside = 1; next } inside && /\("tarnwick" "Tarnwick"\)/ { print $1; exit }'
}
main_window() {
    for id in $(xdotool search --name '^Tarnwick$' 2>/dev/null); do
        xwininfo -id "$id" | grep -q 'Width: 1064' && { echo "$id"; return; }
    done
}
state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state/ { print $3 }'; }
mapped() { xwininfo -id "$1" | grep -q 'IsViewable'; }

until_true '[ -n "$(tray_icon)" ]' || fail "the tray icon did not appear in the tray"
echo "the tray icon is in the tray: $(tray_icon)"
until_true '[ -n "$(main_window)" ]' || fail "the main window did not appear"
window=$(main_window)
until_true '[ "$(state "$window")" = Normal ] && mapped "$window"' || fail "the window was not shown"

# the window manager may still be settling: ask again until the window leaves
until_true 'xdotool windowminimize "$window"; sleep 0.3; ! mapped "$window" && [ "$(state "$window")" != Iconic ]' ||
    fail "minimising did not hide the window in the tray (state: $(state "$window"))"
echo "minimised: the window is hidden in the tray"

# the balloon may lie over the icon at first: a click on it only closes it
until_true 'xdotool mousemove --window "$(tray_icon)" 5 5 click 1; sleep 0.3; mapped "$window"' ||
    fail "a click on the tray icon did not bring the window back"
echo "a click on the icon brought the window back"

stop_program
echo "closed on SIGTERM with status 0"

# Start hidden: both start-up options on.
printf '[Tarnwick]\nWindows Startup=On\nMinimized=On\n' >"$XDG_CONFIG_HOME/Quelvane.ini"
start_program
until_true '[ -n "$(tray_icon)" ]' || fail "the tray icon did not appear when starting hidden"
sleep 2
window=$(main_window)
if [ -n "$window" ]; then
    ! mapped "$window" || fail "the window was shown although both start-up options are on"
    [ "$(state "$window")" != Iconic ] || fail "the window started minimised on the task bar instead of in the tray"
fi
echo "started hidden in the tray"

until_true 'xdotool mousemove --window "$(tray_icon)" 5 5 click 1; sleep 0.3; window=$(main_window); [ -n "$window" ] && mapped "$window"' ||
    fail "a click on the tray icon did not bring the hidden window back"
read -r x y width height < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
centre_x=$((x + width / 2))
centre_y=$((y + height / 2))
# the window manager's frame and the tray at the bottom edge move it by a few pixels at most
[ "${centre_x#-}" -gt 580 ] && [ "$centre_x" -lt 700 ] && [ "$centre_y" -gt 340 ] && [ "$centre_y" -lt 460 ] ||
    fail "the window came back at $x,$y, not centred on the 1280x800 screen"
echo "a click on the icon brought it back, centred"

stop_program
