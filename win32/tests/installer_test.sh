#!/usr/bin/env bash
# tarnwick-<version>-setup.exe under Wine: /S installs silently into Program Files\Tarnwick with a Start-menu
# shortcut and an Uninstall entry; the installed program starts; the uninstaller, silent too, removes all of that
# and the user's Run value, and leaves the user's settings and history log alone.
# Runs in the Wine prefix that scripts/test-windows prepares. Exits 77 (skipped) without one.
set -u
setup=${1:?usage: installer_test.sh SETUP_EXE}
[[ -n "${WINEPREFIX:-}" && -n "${DISPLAY:-}" ]] || { echo "skipped: no Wine prefix on a display"; exit 77; }
[[ -f "$setup" ]] || { echo "FAIL: no installer at $setup"; exit 1; }

folder="$WINEPREFIX/drive_c/Program Files/Tarnwick"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\VB and VBA Program Settings\Quelvane\Tarnwick'
log=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")/Tarnwick.txt

reset() {
    wine taskkill /f /im tarnwick.exe >/dev/null 2>&1
    [[ -f "$folder/uninstall.exe" ]] && wine "$folder/uninstall.exe" /S _?="C:\\Program Files\\Tarnwick" >/dev/null 2>&1
    rm -rf "$folder" "$shortcut" "$log"
    wine reg delete "$uninstall_key" /f >/dev/null 2>&1
    for name in tarnwick.exe uninstall.exe other.exe; do
        wine reg delete "$run_key" /v "$name" /f >/dev/null 2>&1
    done
    wine reg delete 'HKCU\Software\VB and VBA Program Settings\Quelvane' /f >/dev/null 2>&1
}
trap reset EXIT
fail() { echo "FAIL: $*"; exit 1; }
until_true() {
    for _ in $(seq 150); do
        eval "$1" && return 0
        sleep 0.2
    done
    return 1
}
has_value() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }
reset

echo "== install"
wine "$setup" /S
status=$?
[[ $status -eq 0 ]] || fail "the installer ended with status $status"
for file in "$folder/tarnwick.exe" "$folder/uninstall.exe" "$shortcut"; do
    [[ -f "$file" ]] || fail "not installed: $file"
done
has_value "$uninstall_key" UninstallString || fail "no Uninstall entry under $uninstall_key"
wine reg query "$uninstall_key" /v DisplayVersion

echo "== the installed program runs"
wine "$folder/tarnwick.exe" >/dev/null 2>&1 &
program=$!
until_true '[[ -n "$(xdotool search --onlyvisible --name "^Tarnwick\$" 2>/dev/null)" ]]' ||
    fail "the installed program shows no window"
wine taskkill /im tarnwick.exe >/dev/null
until_true '! kill -0 $program 2>/dev/null' || fail "the installed program did not close"

echo "== uninstall"
# what the user made: start with Windows, settings and a log
wine reg add "$run_key" /v tarnwick.exe /t REG_SZ /d '"C:\Program Files\Tarnwick\tarnwick.exe"' /f >/dev/null
# where the folder lists uninstall.exe first, that is the name; another program's value of that name stays
wine reg add "$run_key" /v uninstall.exe /t REG_SZ /d '"C:\Program Files\Tarnwick\tarnwick.exe"' /f >/dev/null
wine reg add "$run_key" /v other.exe /t REG_SZ /d '"C:\Program Files\Other\other.exe"' /f >/dev/null
wine reg add "$settings_key" /v Text3 /t REG_SZ /d 7 /f >/dev/null
printf 'a line\r\n' >"$log"
wine "$folder/uninstall.exe" /S
# the uninstaller runs from a copy of itself and returns at once
until_true '[[ ! -e "$folder" ]]' || fail "the program folder is still there: $(ls "$folder")"
[[ ! -e "$shortcut" ]] || fail "the Start-menu shortcut is still there"
until_true '! has_value "$uninstall_key" UninstallString' || fail "the Uninstall entry is still there"
! has_value "$run_key" tarnwick.exe || fail "the Run value is still there"
! has_value "$run_key" uninstall.exe || fail "the Run value named after the uninstaller is still there"
has_value "$run_key" other.exe || fail "another program's Run value was removed"
has_value "$settings_key" Text3 || fail "the user's settings were removed"
[[ -f "$log" ]] || fail "the user's history log was removed"
echo "installed, ran and uninstalled"
