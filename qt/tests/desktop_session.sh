# shellcheck shell=bash
# Sourced by the desktop tests: a private session for the real program (its own home, configuration, temporary
# and runtime folders, its own session bus), the displays and trays it meets on Linux desktops, and the checks
# they share. Every process started here is ended when the test ends, whatever way it ends.

set -u
program=${1:?usage: $0 PROGRAM}

# Python from Debian, never one that a developer's PATH puts first.
python=/usr/bin/python3

require() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    # every log but the Wayland requests, which only the checks read
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- ${log##*/}"; grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$log" | tail -20; }
    done
    exit 1
}

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export TEMP=$work/temp TMPDIR=$work/temp XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$TEMP" "$XDG_RUNTIME_DIR" "$work/watched"
chmod 700 "$XDG_RUNTIME_DIR"
# Nothing of the desktop this runs in: no display, no bus, no desktop's own Qt theme.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP
unset XDG_SESSION_TYPE DESKTOP_SESSION

# Waits for a condition, polling; a loaded machine and a sanitizer build get a minute.
until_true() {
    for _ in $(seq 300); do
        eval "$1" && return 0
        sleep 0.2
    done
    return 1
}

# The settings of a user who lists one folder and monitors it every second; extra lines may follow.
write_settings() {
    {
        printf '[Tarnwick]\nFolders=%s/|234SSDEPERATATORZZ|\n' "$work/watched"
        printf 'Option3=True\nOption4=False\nOption5=False\nText1=0\nText2=0\nText3=1\nStartStopState=On\n'
        printf '%s\n' "$@"
    } >"$XDG_CONFIG_HOME/Quelvane.ini"
}

start_program() {
    "$program" >"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
}
stop_program() {
    kill -TERM "$program_pid"
    wait "$program_pid"
    local status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# The first pass only records: adds probe files until a pass has reported one in what the history log gains.
probe=0
wait_for_logged_change() {
    log_start=$(($(stat -c %s "$TEMP/Tarnwick.txt" 2>/dev/null || echo 0) + 1))
    until_true 'touch "$work/watched/probe-$((++probe))"
        tail -c "+$log_start" "$TEMP/Tarnwick.txt" 2>/dev/null | grep -q " Added file $work/watched/probe-"'
}

# A session bus of its own, which starts no services.
start_session_bus() {
    cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
EOF
    dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/bus-address" 2>"$work/bus.log" &
    pids+=($!)
    until_true '[ -s "$work/bus-address" ]' || fail "the session bus did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus-address")
    export DBUS_SESSION_BUS_ADDRESS
}

watcher_property() {
    gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}

# What a desktop's tray is on the bus: the watcher, and a host that has made itself known to it (the stand-in
# host also shows notifications, as the desktop's notification server does, by writing them to host.log).
start_status_notifier_tray() {
    status-notifier-watcher >"$work/watcher.log" 2>&1 &
    pids+=($!)
    until_true 'watcher_property ProtocolVersion >/dev/null' || fail "the StatusNotifier watcher did not start"
    "$python" "$(dirname "${BASH_SOURCE[0]}")/sni_host.py" >"$work/host.log" 2>&1 &
    pids+=($!)
    until_true 'watcher_property IsStatusNotifierHostRegistered | grep -q true' ||
        fail "the stand-in host did not register with the watcher"
}

# The bus name and object path of the one registered item ("name" alone means the usual path), when there is one.
sni_item() {
    local entry
    entry=$(watcher_property RegisteredStatusNotifierItems | grep -o "'[^']*'" | head -1 | tr -d "'")
    [ -n "$entry" ] || return 1
    case $entry in
    */*) echo "${entry%%/*} /${entry#*/}" ;;
    *) echo "$entry /StatusNotifierItem" ;;
    esac
}
# The title of the item's tooltip: the tip the program gives its tray icon.
sni_tip() {
    local name path
    read -r name path < <(sni_item) || return 1
    gdbus call --session -d "$name" -o "$path" \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip |
        sed -n "s/.*, '\([^']*\)', '[^']*')>,)\$/\1/p"
}
# What a click on the icon in the panel does.
sni_activate() {
    local name path
    read -r name path < <(sni_item) || return 1
    gdbus call --session -d "$name" -o "$path" -m org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
}

# A virtual X server with a window manager that can minimise and has no tray of its own (nor a task bar).
start_x_desktop() {
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    until_true '[ -s "$work/display" ]' || { echo "skipped: Xvfb did not start"; exit 77; }
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
    mkdir -p "$HOME/.icewm"
    printf 'ShowTaskBar=0\nTaskBarShowTray=0\n' >"$HOME/.icewm/preferences"
    icewm >"$work/icewm.log" 2>&1 &
    pids+=($!)
    until_true 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "the window manager did not start"
}

# The program's main window on the X server (the only one 1064 pixels wide), when there is one.
main_window() {
    for id in $(xdotool search --name '^Tarnwick$' 2>/dev/null); do
        xwininfo -id "$id" | grep -q 'Width: 1064' && { echo "$id"; return 0; }
    done
    return 1
}
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state/ { print $3 }'; }
mapped() { xwininfo -id "$1" | grep -q 'IsViewable'; }
