#!/usr/bin/env bash
# The real tarnwick.exe under Wine, driven from the outside as a user and the session would drive it:
#  - started hidden in the tray, a second start ends at once with status 0 and brings the first one's window
#    forward, with a client area of 1064 x 434 pixels; at 144 dpi it is 1596 x 651;
#  - with a folder on a 1-second schedule, changes of a real tree between passes reach the history log in the
#    prefix's %TEMP%, one CR LF line each;
#  - a close request (taskkill without /f) ends it with status 0.
# Runs in the Wine prefix that scripts/test-windows prepares (WINEPREFIX, DISPLAY). Exits 77 (skipped) without them.
set -u
program=${1:?usage: program_test.sh TARNWICK_EXE}
[[ -n "${DISPLAY:-}" && -n "${WINEPREFIX:-}" ]] || { echo "skipped: no Wine prefix on a display"; exit 77; }
for tool in wine winepath xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

settings='HKCU\Software\VB and VBA Program Settings\Quelvane\Tarnwick'
tree_windows='C:\tarnwick-program-test\W\'
tree=$WINEPREFIX/drive_c/tarnwick-program-test/W
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")
log=$temp/Tarnwick.txt
work=$(mktemp -d)

# Nothing of an earlier run, nor of this one afterwards: no program, settings, tree or log.
reset() {
    wine taskkill /f /im tarnwick.exe >/dev/null 2>&1
    wine reg delete 'HKCU\Software\VB and VBA Program Settings\Quelvane' /f >/dev/null 2>&1
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    rm -rf "$WINEPREFIX/drive_c/tarnwick-program-test" "$log"
}
trap 'reset; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    [[ -f "$log" ]] && { echo "--- log:"; cat -A "$log"; }
    exit 1
}
# Waits up to 30 s for a condition.
until_true() {
    for _ in $(seq 150); do
        eval "$1" && return 0
        sleep 0.2
    done
    return 1
}
set_settings() {
    wine reg delete 'HKCU\Software\VB and VBA Program Settings\Quelvane' /f >/dev/null 2>&1
    while [[ $# -gt 0 ]]; do
        wine reg add "$settings" /v "$1" /t REG_SZ /d "$2" /f >/dev/null || fail "cannot set $1"
        shift 2
    done
}
# The window of the running program that X shows, if any, with its size.
shown_window() {
    for id in $(xdotool search --onlyvisible --name '^Tarnwick$' 2>/dev/null); do
        xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
        return
    done
}
start() {
    wine "$program" >"$work/$1.log" 2>&1 &
    program_pid=$!
}
# Asks the program to close as the session would (WM_CLOSE, no /f): it must end within 30 s with status 0.
close_program() {
    wine taskkill /im tarnwick.exe >/dev/null
    until_true '! kill -0 "$program_pid" 2>/dev/null' || fail "a close request did not end the program"
    wait "$program_pid"
    local status=$?
    [[ $status -eq 0 ]] || fail "closed, the program ended with status $status"
}
reset

echo "== a second start brings the first one's window forward and ends"
set_settings "Windows Startup" On Minimized On
start first
sleep 4
kill -0 "$program_pid" 2>/dev/null || fail "the program did not keep running: $(cat "$work/first.log")"
[[ -z "$(shown_window)" ]] || fail "started with both start-up options on, the window is shown: $(shown_window)"
second_start=$SECONDS
timeout 30 wine "$program" >"$work/second.log" 2>&1
status=$?
[[ $status -eq 0 ]] || fail "the second start ended with status $status"
echo "the second start ended after $((SECONDS - second_start)) s"
until_true '[[ -n "$(shown_window)" ]]' || fail "the first copy's window did not come forward"
[[ "$(shown_window)" == 1064x434 ]] || fail "the client area is $(shown_window), not 1064x434"
kill -0 "$program_pid" 2>/dev/null || fail "the first copy ended"
close_program

echo "== at 144 dpi the design's twips give more pixels"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
set_settings
start scaled
until_true '[[ -n "$(shown_window)" ]]' || fail "the window did not appear: $(cat "$work/scaled.log")"
[[ "$(shown_window)" == 1596x651 ]] || fail "at 144 dpi the client area is $(shown_window), not 1596x651"
close_program
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null

echo "== passes on a 1-second schedule reach the log"
# A file appears in the tree whole, with its time: written beside the tree, then renamed into it.
put() {
    echo "$2" >"$tree/../staged"
    [[ -n "${3:-}" ]] && touch -d "$3" "$tree/../staged"
    mv "$tree/../staged" "$tree/$1"
}
mkdir -p "$tree/sub"
echo a >"$tree/a.txt"
echo b >"$tree/sub/b.txt"
set_settings Folders "${tree_windows}|234SSDEPERATATORZZ|" Option3 True Text1 0 Text2 0 Text3 1 StartStopState On
start monitoring
# the first pass records the tree and reports nothing
sleep 3
kill -0 "$program_pid" 2>/dev/null || fail "the program did not keep running: $(cat "$work/monitoring.log")"
[[ ! -e "$log" ]] || fail "the first pass reported changes"
# Once a new file is reported, the first pass is past: a file a second until one is (up to 30 s).
for probe in $(seq 30); do
    put "probe$probe.txt" p
    sleep 1
    grep -q 'Added file .*probe' "$log" 2>/dev/null && break
done
grep -q 'Added file .*probe' "$log" 2>/dev/null || fail "no pass reported a new file"
sleep 2 # the last probes' passes
before=$(grep -c "" "$log")

put c.txt c
rm "$tree/sub/b.txt"
put a.txt changed '+1 hour'
expected=(
    "Added file ${tree_windows}c.txt"
    "Removed file ${tree_windows}sub\\b.txt"
    "Modified file ${tree_windows}a.txt"
)
until_true '[[ $(grep -c "" "$log") -ge $((before + 3)) ]]' || fail "the changes did not reach the log at $log"
sleep 2 # any further line would be a change reported twice
[[ $(grep -c "" "$log") -eq $((before + 3)) ]] || fail "the log holds more than the three changes"
for line in "${expected[@]}"; do
    grep -qF -- " $line"$'\r' "$log" || fail "no line \"<date time> $line\" (CR LF) in the log"
done
# "<date> <time> Added file C:\...", the date and time in the user's format
grep -qvE $'^[0-9]+/[0-9]+/[0-9]{4} [0-9]+:[0-9]{2}:[0-9]{2}( [AP]M)? (Added|Removed|Modified) file C:\\\\.*\r$' "$log" &&
    fail "a line is not in the form \"<date time> <action> file <path>\""
echo "the log:"
cat "$log"

close_program
echo "closed with status 0"
