#!/usr/bin/env bash
# tarnwick-<version>-setup.exe under Wine, as a user and a script would run it:
#  - /S installs silently (no window) into Program Files\Tarnwick with a Start-menu shortcut and an Uninstall entry,
#    and the installed program starts;
#  - /S again while the program runs closes it (status 0) and replaces its file;
#  - a running tarnwick.exe that cannot be asked to close stops the installer and the uninstaller with status 2,
#    a reason on their standard error and nothing changed;
#  - the uninstaller, silent too, closes the running program, removes what was installed and the user's Run values
#    that start it (no other), and leaves the user's settings and history log alone;
#  - interactively: welcome, the MIT licence, the folder (another one is chosen), the progress and the finish page,
#    whose "Run Tarnwick" starts the program; the interactive uninstaller says it closes the running program.
# The pages are read with window_texts.exe and driven with the keyboard through X.
# Runs in the Wine prefix that scripts/test-windows prepares. Exits 77 (skipped) without one.
set -u
setup=${1:?usage: installer_test.sh SETUP_EXE WINDOW_TEXTS_EXE}
texts=${2:?usage: installer_test.sh SETUP_EXE WINDOW_TEXTS_EXE}
licence=$(dirname "$0")/../../LICENSE
[[ -n "${WINEPREFIX:-}" && -n "${DISPLAY:-}" ]] || { echo "skipped: no Wine prefix on a display"; exit 77; }
for tool in wine winepath xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[[ -f "$setup" ]] || { echo "FAIL: no installer at $setup"; exit 1; }

folder="$WINEPREFIX/drive_c/Program Files/Tarnwick"
# chosen on the folder page; with a blank in it, as Program Files has
chosen_windows='C:\Tarnwick Test\Tarnwick'
chosen="$WINEPREFIX/drive_c/Tarnwick Test/Tarnwick"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\VB and VBA Program Settings\Quelvane\Tarnwick'
log=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")/Tarnwick.txt
work=$(mktemp -d)
pids=()
# The user's Run values at an uninstall, "name|command|what the uninstaller does with it": only a value that starts
# this very program goes, whatever its name.
run_values=(
    'tarnwick.exe|"C:\Program Files\Tarnwick\tarnwick.exe"|removed'
    'uninstall.exe|"C:\Program Files\Tarnwick\tarnwick.exe"|removed' # an earlier version's name
    'Tarnwick|"c:\program files\tarnwick\TARNWICK.EXE" /minimized|removed'
    'unquoted|C:\Program Files\Tarnwick\tarnwick.exe|removed'
    'other.exe|"C:\Program Files\Other\other.exe"|kept'
    'portable|"D:\Tarnwick\tarnwick.exe"|kept'
    'lookalike|"C:\Program Files\Tarnwick\tarnwick.exe.old"|kept'
)

# Nothing of an earlier run, nor of this one afterwards. The uninstaller runs as Un.exe, a copy of itself.
reset() {
    for pid in "${pids[@]}"; do
        kill -9 "$pid" 2>/dev/null
    done
    for program in tarnwick.exe Un.exe "$(basename "$setup")"; do
        wine taskkill /f /im "$program" >/dev/null 2>&1
    done
    rm -rf "$folder" "$WINEPREFIX/drive_c/Tarnwick Test" "$shortcut" "$log"
    wine reg delete "$uninstall_key" /f >/dev/null 2>&1
    for row in "${run_values[@]}"; do
        wine reg delete "$run_key" /v "${row%%|*}" /f >/dev/null 2>&1
    done
    wine reg delete 'HKCU\Software\VB and VBA Program Settings\Quelvane' /f >/dev/null 2>&1
}
trap 'reset; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Waits up to 30 s for a condition.
until_true() {
    for _ in $(seq 150); do
        eval "$1" && return 0
        sleep 0.2
    done
    return 1
}
has_value() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }
value_of() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
shown() { [[ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]]; }
# What the windows titled $1 show, one control a line (see window_texts.cpp).
texts_of() { wine "$texts" "$1" 2>/dev/null | tr -d '\r'; }
# Waits until the window titled $1 shows the line $2 (a fixed string), then keeps what it shows in $page.
until_page() {
    local title=$1 line=$2
    until_true 'page=$(texts_of "$title"); grep -qxF -- "$line" <<<"$page"' ||
        fail "the window \"$title\" does not show \"$line\"; it shows: $(texts_of "$title")"
}
# Keys pressed in the window titled $1.
press() {
    local window
    window=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -1)
    [[ -n "$window" ]] || fail "no window \"$1\" to press $2 in"
    timeout 10 xdotool windowfocus --sync "$window" || fail "the window \"$1\" takes no focus"
    shift
    xdotool key --delay 50 "$@"
}
# Runs a silent setup and fails if it shows any window; its status is left in $status.
run_silent() {
    wine "$@" 2>"$work/stderr" &
    local pid=$!
    pids+=("$pid")
    while kill -0 "$pid" 2>/dev/null; do
        shown '^Tarnwick (Setup|Uninstall)' && fail "the silent setup shows a window: $(texts_of "Tarnwick Setup")"
        sleep 0.1
    done
    wait "$pid"
    status=$?
}
# Starts the installed program $1 (a Unix path) and waits for its window; its process is $program.
start_program() {
    wine "$1" >/dev/null 2>&1 &
    program=$!
    pids+=("$program")
    until_true 'shown "^Tarnwick\$"' || fail "the installed program shows no window"
}
# The silent uninstaller copies itself and returns at once; "_?=" runs it in place, so that its status can be
# read, but only unquoted at the end of the command line, which cmd leaves as it is.
uninstall_in_place() {
    printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$1" "$1" >"$work/uninstall.bat"
    wine cmd /c "$(winepath -w "$work/uninstall.bat")" 2>"$work/stderr"
    status=$?
}
reset

echo "== a silent install"
run_silent "$setup" /S
[[ $status -eq 0 ]] || fail "the installer ended with status $status: $(cat "$work/stderr")"
for file in "$folder/tarnwick.exe" "$folder/uninstall.exe" "$shortcut"; do
    [[ -f "$file" ]] || fail "not installed: $file"
done
has_value "$uninstall_key" UninstallString || fail "no Uninstall entry under $uninstall_key"
wine reg query "$uninstall_key" /v DisplayVersion

echo "== the installed program runs; a silent install meanwhile closes it and replaces it"
# the running copy is marked, to tell it from the one installed after it
printf 'running copy' >>"$folder/tarnwick.exe"
start_program "$folder/tarnwick.exe"
run_silent "$setup" /S
[[ $status -eq 0 ]] || fail "installing while the program runs ended with status $status: $(cat "$work/stderr")"
until_true '! kill -0 $program 2>/dev/null' || fail "the running program was not closed"
wait "$program"
status=$?
[[ $status -eq 0 ]] || fail "the running program, asked to close, ended with status $status"
tail -c 12 "$folder/tarnwick.exe" | grep -qF 'running copy' && fail "the running copy's file was kept"

echo "== a running tarnwick.exe that cannot be asked to close stops setup and changes nothing"
# Wine's notepad under the program's name: it holds the file, and it has no window of the program to ask.
cp "$folder/tarnwick.exe" "$work/tarnwick.exe"
cp "$WINEPREFIX/drive_c/windows/system32/notepad.exe" "$folder/tarnwick.exe"
cp "$folder/tarnwick.exe" "$work/held.exe"
wine "$folder/tarnwick.exe" >/dev/null 2>&1 &
holder=$!
pids+=("$holder")
until_true 'shown "Notepad\$"' || fail "notepad did not start"
run_silent "$setup" /S
[[ $status -eq 2 ]] || fail "installing over a file in use ended with status $status, not 2"
grep -qF "Tarnwick setup: C:\\Program Files\\Tarnwick\\tarnwick.exe is in use" "$work/stderr" ||
    fail "setup did not say why it stopped: $(cat "$work/stderr")"
cmp -s "$work/held.exe" "$folder/tarnwick.exe" || fail "setup changed the file in use"
uninstall_in_place 'C:\Program Files\Tarnwick'
[[ $status -eq 2 ]] || fail "uninstalling a file in use ended with status $status, not 2"
grep -qF "Tarnwick uninstaller: C:\\Program Files\\Tarnwick\\tarnwick.exe is in use" "$work/stderr" ||
    fail "the uninstaller did not say why it stopped: $(cat "$work/stderr")"
for file in "$folder/tarnwick.exe" "$folder/uninstall.exe" "$shortcut"; do
    [[ -f "$file" ]] || fail "the uninstaller that stopped removed $file"
done
has_value "$uninstall_key" UninstallString || fail "the uninstaller that stopped removed the Uninstall entry"
wine taskkill /f /im tarnwick.exe >/dev/null
until_true '! kill -0 $holder 2>/dev/null' || fail "notepad did not end"
# put back from outside: Wine may hold the file a moment longer than the process
cp "$work/tarnwick.exe" "$folder/tarnwick.exe"

echo "== a silent uninstall while the program runs"
start_program "$folder/tarnwick.exe"
# what the user made: start with Windows, settings and a log
for row in "${run_values[@]}"; do
    IFS='|' read -r name command _ <<<"$row"
    wine reg add "$run_key" /v "$name" /t REG_SZ /d "$command" /f >/dev/null || fail "cannot add the Run value $name"
done
wine reg add "$settings_key" /v Text3 /t REG_SZ /d 7 /f >/dev/null
printf 'a line\r\n' >"$log"
wine "$folder/uninstall.exe" /S
# the uninstaller runs from a copy of itself and returns at once
until_true 'shown "^Tarnwick Uninstall" && fail "the silent uninstaller shows a window"; [[ ! -e "$folder" ]]' ||
    fail "the program folder is still there: $(ls "$folder")"
until_true '! kill -0 $program 2>/dev/null' || fail "the running program was not closed"
wait "$program"
status=$?
[[ $status -eq 0 ]] || fail "the running program, asked to close, ended with status $status"
[[ ! -e "$shortcut" ]] || fail "the Start-menu shortcut is still there"
until_true '! has_value "$uninstall_key" UninstallString' || fail "the Uninstall entry is still there"
for row in "${run_values[@]}"; do
    IFS='|' read -r name command expected <<<"$row"
    if has_value "$run_key" "$name"; then
        [[ $expected == kept ]] || fail "the Run value $name, $command, is still there"
        [[ "$(value_of "$run_key" "$name")" == "$command" ]] || fail "the Run value $name was changed"
    else
        [[ $expected == removed ]] || fail "the Run value $name, $command, was removed"
    fi
done
has_value "$settings_key" Text3 || fail "the user's settings were removed"
[[ -f "$log" ]] || fail "the user's history log was removed"

echo "== the pages of an interactive install, to the finish page"
wine "$setup" >/dev/null 2>&1 &
interactive=$!
pids+=("$interactive")
until_page "Tarnwick Setup" "Static|0|Welcome to Tarnwick Setup"
press "Tarnwick Setup" Return
until_page "Tarnwick Setup" "Static|0|License Agreement"
shown_licence=$(sed -n 's/^RichEdit20W|0|//p' <<<"$page")
[[ "$shown_licence" == "$(sed -z 's/\n/\\n/g' "$licence")" ]] ||
    fail "the licence page does not show LICENSE; it shows: $shown_licence"
press "Tarnwick Setup" Return
until_page "Tarnwick Setup" "Static|0|Choose Install Location"
grep -qxF 'Edit|0|C:\Program Files\Tarnwick' <<<"$page" || fail "the folder proposed is not Program Files: $page"
press "Tarnwick Setup" End shift+Home
xdotool type --delay 20 "$chosen_windows"
until_page "Tarnwick Setup" "Edit|0|$chosen_windows"
press "Tarnwick Setup" Return
until_page "Tarnwick Setup" "Static|0|Installation Complete"
grep -qxF "item|Extract: tarnwick.exe" <<<"$page" || fail "the progress page does not show the program installed: $page"
press "Tarnwick Setup" Return
until_page "Tarnwick Setup" "Static|0|Completing Tarnwick Setup"
grep -qxF 'Button|1|&Run Tarnwick' <<<"$page" || fail "the finish page has no ticked \"Run Tarnwick\": $page"
press "Tarnwick Setup" Return
until_true '! kill -0 $interactive 2>/dev/null' || fail "Finish did not end the installer"
wait "$interactive"
status=$?
[[ $status -eq 0 ]] || fail "the interactive installer ended with status $status"
for file in "$chosen/tarnwick.exe" "$chosen/uninstall.exe" "$shortcut"; do
    [[ -f "$file" ]] || fail "not installed: $file"
done
[[ ! -e "$folder" ]] || fail "installed into Program Files, not the folder chosen"
[[ "$(value_of "$uninstall_key" InstallLocation)" == "$chosen_windows" ]] ||
    fail "the Uninstall entry names $(value_of "$uninstall_key" InstallLocation), not $chosen_windows"
until_true 'shown "^Tarnwick\$"' || fail "\"Run Tarnwick\" did not start the program"

echo "== the interactive uninstaller closes the running program and says so"
wine "$chosen/uninstall.exe" >/dev/null 2>&1
until_page "Tarnwick Uninstall" "Static|0|Uninstall Tarnwick"
grep -qF 'If it is running, it is asked to close first.' <<<"$page" ||
    fail "the confirmation page does not say that a running Tarnwick is closed: $page"
press "Tarnwick Uninstall" Return
until_page "Tarnwick Uninstall" "Static|0|Uninstallation Complete"
grep -qxF "item|Tarnwick is running: asking it to close..." <<<"$page" &&
    grep -qxF "item|Tarnwick has closed." <<<"$page" || fail "the uninstaller does not say it closed Tarnwick: $page"
! shown "^Tarnwick\$" || fail "the program still shows its window"
[[ ! -e "$chosen" ]] || fail "the program folder is still there: $(ls "$chosen")"
[[ ! -e "$shortcut" ]] || fail "the Start-menu shortcut is still there"
! has_value "$uninstall_key" UninstallString || fail "the Uninstall entry is still there"
press "Tarnwick Uninstall" Return
until_true '! shown "^Tarnwick Uninstall"' || fail "Close did not end the uninstaller"
echo "installed, replaced while running, refused what it could not close, and uninstalled"
