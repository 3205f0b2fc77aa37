#!/usr/bin/env bash
# The program in a Wayland session: weston's headless back-end as the compositor, Qt's Wayland platform. It must
# start, show its window, run a pass that logs a change and end on SIGTERM with status 0. With no tray, starting
# hidden must leave a minimised window; with a StatusNotifier tray (KDE Plasma's kind) it must start with only its
# icon, which brings the window back. The window's life is read from the program's own Wayland requests
# (WAYLAND_DEBUG): a client cannot see another's windows. Exits 77 (skipped) where the tools are missing.
source "$(dirname "$0")/desktop_session.sh"
require weston dbus-daemon gdbus status-notifier-watcher "$python"

weston --backend=headless-backend.so --no-config --socket=wayland-tarnwick --width=1280 --height=800 \
    --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
until_true '[ -S "$XDG_RUNTIME_DIR/wayland-tarnwick" ]' || fail "weston did not start"
export WAYLAND_DISPLAY=wayland-tarnwick QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client
# Under AddressSanitizer: Mesa's EGL driver, which Qt's Wayland client loads as it shows the first window, is
# unloaded before the leak check, so only a full stack of what it leaves names the library the suppressions name.
[ -n "${ASAN_OPTIONS:-}" ] && export ASAN_OPTIONS=$ASAN_OPTIONS:fast_unwind_on_malloc=0
start_session_bus

# The program's toplevel windows that are on the screen now, as "TITLE WIDTH minimised|normal": created, given a
# title and a size, configured by the compositor and given a buffer, not destroyed since. With "created", every
# toplevel not destroyed, configured or not: the program creates one as it shows a window, before it goes on.
toplevels() {
    awk -v created="${1:-}" '
        function id(kind) {
            if (!match($0, kind "@[0-9]+"))
                return ""
            return substr($0, RSTART + length(kind) + 1, RLENGTH - length(kind) - 1)
        }
        / -> wl_compositor@[0-9]+\.create_surface\(/ { buffer[id("wl_surface")] = 0 }
        / -> xdg_wm_base@[0-9]+\.get_xdg_surface\(/ {
            x = id("xdg_surface"); surface[x] = id("wl_surface"); configured[x] = 0
        }
        / -> xdg_surface@[0-9]+\.get_toplevel\(/ {
            t = id("xdg_toplevel"); owner[t] = id("xdg_surface"); live[t] = 1
            title[t] = ""; width[t] = 0; minimised[t] = 0
        }
        / -> xdg_toplevel@[0-9]+\.set_title\(/ {
            t = id("xdg_toplevel"); v = $0; sub(/.*set_title\("/, "", v); sub(/"\)$/, "", v); title[t] = v
        }
        / -> xdg_toplevel@[0-9]+\.set_min_size\(/ {
            t = id("xdg_toplevel"); v = $0; sub(/.*set_min_size\(/, "", v); width[t] = v + 0
        }
        / -> xdg_toplevel@[0-9]+\.set_minimized\(/ { minimised[id("xdg_toplevel")] = 1 }
        / -> xdg_toplevel@[0-9]+\.destroy\(/ { delete live[id("xdg_toplevel")] }
        / -> xdg_surface@[0-9]+\.ack_configure\(/ { configured[id("xdg_surface")] = 1 }
        / -> wl_surface@[0-9]+\.attach\(/ { buffer[id("wl_surface")] = ($0 !~ /attach\(nil/) }
        END {
            for (t in live)
                if (created || (configured[owner[t]] && buffer[surface[owner[t]]]))
                    print title[t], width[t], (minimised[t] ? "minimised" : "normal")
        }' "$work/program.log"
}
main_window_is() { toplevels | grep -qx "Tarnwick 1064 $1"; }

# No tray: shown, a pass logs a change, SIGTERM ends it.
write_settings
start_program
until_true 'main_window_is normal' || fail "the main window was not shown (windows: $(toplevels))"
wait_for_logged_change || fail "no pass logged the files added to the listed folder"
echo "the window is shown; a pass logged the files added ($(grep -c ' Added file ' "$TEMP/Tarnwick.txt") line(s))"
stop_program
echo "closed on SIGTERM with status 0"

# No tray, both start-up options on: a minimised window, not a hidden one.
write_settings 'Windows Startup=On' 'Minimized=On'
start_program
until_true 'main_window_is minimised' ||
    fail "starting hidden without a tray left no minimised window (windows: $(toplevels))"
echo "started hidden without a tray: a minimised window"
stop_program

# A StatusNotifier tray, both start-up options on: only the icon, until it is activated.
start_status_notifier_tray
start_program
until_true '[ "$(sni_tip)" = Tarnwick ]' || fail "the icon did not register with the tip \"Tarnwick\""
# A pass runs only once start-up is over, so by then a window shown at start-up would have been created.
wait_for_logged_change || fail "no pass logged the files added to the listed folder"
[ -z "$(toplevels created)" ] || fail "starting hidden in the tray showed a window: $(toplevels created)"
echo "started hidden in the tray: only the icon"
sni_activate || fail "the icon could not be activated"
until_true 'main_window_is normal' || fail "activating the icon did not bring the window back (windows: $(toplevels))"
echo "activating the icon brought the window back"
stop_program
echo "closed on SIGTERM with status 0"
