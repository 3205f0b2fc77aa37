#!/usr/bin/env bash
# A desktop with no tray at all (GNOME without the AppIndicator extension): a session bus with no StatusNotifier
# watcher, and no X11 tray. Minimising, and starting hidden with both start-up options on, must leave an ordinary
# minimised window that the window manager lists and brings back, never a window that vanishes with nothing to
# bring it back. Exits 77 (skipped) where the tools are missing.
source "$(dirname "$0")/desktop_session.sh"
require Xvfb icewm xdotool xwininfo xprop dbus-daemon

start_x_desktop
start_session_bus

listed() { xprop -root _NET_CLIENT_LIST | grep -qiw "$(printf '0x%x' "$1")"; }
# What a task bar or a window switcher does with the minimised window $window.
bring_back() {
    until_true 'xdotool windowactivate "$window" 2>/dev/null; sleep 0.3
        mapped "$window" && [ "$(wm_state "$window")" = Normal ]'
}

write_settings
start_program
until_true 'window=$(main_window) && [ "$(wm_state "$window")" = Normal ] && mapped "$window"' ||
    fail "the main window was not shown"
# the window manager may still be settling: ask again until the window is minimised
until_true 'xdotool windowminimize "$window"; sleep 0.3; [ "$(wm_state "$window")" = Iconic ]' ||
    fail "minimising did not leave a minimised window (state: \"$(wm_state "$window")\")"
listed "$window" || fail "the minimised window is not in the window manager's list"
bring_back || fail "the minimised window could not be brought back"
echo "minimised without a tray: an ordinary minimised window, brought back"
stop_program

write_settings 'Windows Startup=On' 'Minimized=On'
start_program
until_true 'window=$(main_window) && [ "$(wm_state "$window")" = Iconic ]' ||
    fail "starting hidden without a tray did not leave a minimised window"
listed "$window" || fail "the window started minimised is not in the window manager's list"
bring_back || fail "the window started minimised could not be brought back"
echo "started hidden without a tray: an ordinary minimised window, brought back"
stop_program
echo "closed on SIGTERM with status 0"
