#!/usr/bin/env bash
# The tray of KDE Plasma, and of GNOME with the AppIndicator extension: a StatusNotifier watcher and host on the
# session bus, no X11 tray anywhere. The program's icon must register there with the tip "Tarnwick"; minimising
# must hide the window in it, with the balloon as the desktop's notification; activating the icon, as a click in
# the panel does, must bring the window back. Exits 77 (skipped) where the tools are missing.
source "$(dirname "$0")/desktop_session.sh"
require Xvfb icewm xdotool xwininfo xprop dbus-daemon gdbus status-notifier-watcher "$python"

start_x_desktop
start_session_bus
start_status_notifier_tray
write_settings
start_program

until_true 'sni_item >/dev/null' || fail "the tray icon did not register with the StatusNotifier watcher"
until_true '[ "$(sni_tip)" = Tarnwick ]' || fail "the icon's tip is \"$(sni_tip)\", not \"Tarnwick\""
echo "the icon is registered as $(sni_item) with the tip \"$(sni_tip)\""

until_true 'window=$(main_window) && [ "$(wm_state "$window")" = Normal ] && mapped "$window"' ||
    fail "the main window was not shown"
# the window manager may still be settling: ask again until the window leaves
until_true 'xdotool windowminimize "$window"; sleep 0.3; ! mapped "$window" && [ "$(wm_state "$window")" != Iconic ]' ||
    fail "minimising did not hide the window in the tray (state: $(wm_state "$window"))"
until_true 'grep -q "^notification: Tarnwick | has been minimized to the system tray\." "$work/host.log"' ||
    fail "minimising into the tray showed no balloon"
echo "minimised: the window is hidden in the tray, with the balloon"

sni_activate || fail "the icon could not be activated"
until_true 'mapped "$window" && [ "$(wm_state "$window")" = Normal ]' ||
    fail "activating the icon did not bring the window back"
echo "activating the icon brought the window back"

stop_program
echo "closed on SIGTERM with status 0"
