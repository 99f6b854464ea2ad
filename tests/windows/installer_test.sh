#!/usr/bin/env bash
# The installer's round trip under Wine, in a prefix of its own that it makes
# afresh (an install would change what the other Windows tests see), as an
# ordinary user: the installer asks for no elevation and writes only to the
# user's profile and HKEY_CURRENT_USER.
#   1. On a desktop of the test's own (Xvfb, openbox), the installer as a
#      clerk sees it: welcome page, folder, finish page, "Kennfix starten";
#      the installed kennfix.exe opens its window. Screenshots of the pages
#      go to SCREENSHOTS.
#   2. Uninstalled with /S, installed again with /S: the programs, the
#      manual and the licence in %LOCALAPPDATA%\Programs\Kennfix, the Start
#      menu entries, "Öffnen mit" for .csv files (what opens a .csv by
#      default untouched), the entry under installed apps; --help of the
#      list programs names the manual beside them.
#   3. Uninstalled with /S: after the next start of Windows (where the
#      uninstaller's copy of itself in the temporary folder goes), the
#      prefix's files and HKEY_CURRENT_USER are as before the install, and
#      HKEY_LOCAL_MACHINE never named Kennfix.
#   4. Installed with /D= into a folder of the user's that holds a
#      COPYING.txt of theirs: the files go into a folder Kennfix in it, and
#      the user's file survives install and uninstall. A folder whose
#      Kennfix holds foreign files too is refused.
#   5. Kennfix runs: setup.exe /S and uninstall.exe /S change nothing, say
#      why in %TEMP%\Kennfix-Setup.log, and end with status 2 where the
#      caller can have it (uninstall.exe hands over to a copy of itself and
#      ends at once, unless started with _?=). Interactively the installer
#      asks to close Kennfix, and "Wiederholen" then installs.
#
#   installer_test.sh SETUP PREFIX SCREENSHOTS
set -euo pipefail
setup=$1 prefix=$2 screenshots=$3
[ -f "$setup" ] || { echo "FAIL: the installer $setup is missing (scripts/windows makes it)" >&2; exit 1; }
# shellcheck source=tests/windows/installer-lib.sh
source "$(dirname "$0")/installer-lib.sh"
mkdir -p "$screenshots"

install_dir="$prefix/drive_c/users/$user/AppData/Local/Programs/Kennfix"
windows_dir="C:\\users\\$user\\AppData\\Local\\Programs\\Kennfix"
installed_files=(kennfix.exe kennfix-liste.exe kennfix-batch.exe kennfix.html kennfix-liste.html kennfix-batch.html
                 COPYING.txt uninstall.exe)

# Fertigstellen on the finish page, "Kennfix starten" ticked; once more
# should a busy machine have shown the page late. $1: when, for the message.
finish_installer() {
    for _ in 1 2 3 4 5; do
        kill -0 "$installer" 2>/dev/null || break
        xdotool windowactivate --sync "$page" key Return 2>/dev/null || true
        sleep 3
    done
    wait "$installer" || fail "the installer ended with status $? $1"
}

uninstall_silently() {
    [ -f "$install_dir/uninstall.exe" ] || fail "no uninstall.exe in $install_dir"
    wine "$windows_dir\\uninstall.exe" /S || fail "the uninstaller ended with status $?"
    finish_wine
}

# Wine has settled what its first start writes. Windows has the user's own
# file types (HKEY_CURRENT_USER\Software\Classes) from the start; Wine
# makes the key only when something is written there.
wine reg add 'HKCU\Software\Classes' /f >/dev/null
finish_wine
files >"$work/files.before"
registry user.reg >"$work/registry.before"

echo "== 1. The installer on the desktop"
title="Kennfix [0-9.]* installieren"
wine "$setup" >/dev/null 2>&1 &
installer=$!
page=$(window "$title") || fail "the installer showed no window"
screenshot installer-welcome.png
xdotool windowactivate --sync "$page" key Return  # Weiter: the folder
sleep 2
screenshot installer-folder.png
xdotool windowactivate --sync "$page" key Return  # Installieren
# The installer's last step is the entry under installed apps; the finish
# page follows.
for _ in $(seq 60); do
    wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kennfix' /v NoRepair >/dev/null 2>&1 && break
    sleep 1
done
sleep 2
screenshot installer-finish.png
finish_installer ""
kennfix=$(window '^Kennfix$') || fail "the installed kennfix.exe showed no window after \"Kennfix starten\""
pid=$(xdotool getwindowpid "$kennfix")
tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF "$windows_dir\\kennfix.exe" ||
    fail "the window \"Kennfix\" is not the installed program's: $(tr '\0' ' ' <"/proc/$pid/cmdline")"
screenshot installer-started-kennfix.png
xdotool windowactivate --sync "$kennfix" key alt+F4
finish_wine
uninstall_silently

echo "== 2. Installed with /S"
wine "$setup" /S || fail "the installer ended with status $?"
finish_wine
for file in "${installed_files[@]}"; do
    [ -f "$install_dir/$file" ] || fail "not installed: $file"
done
cmp -s "$install_dir/kennfix.exe" "$(dirname "$setup")/kennfix.exe" || fail "the installed kennfix.exe is not the one built"
# --help of the list programs names the manual installed beside them, in
# UTF-8 with its umlauts, as on Linux (not in the ANSI code page).
for program in kennfix-batch kennfix-liste; do
    help=$(wine "$windows_dir\\$program.exe" --help 2>&1) || fail "$program.exe --help ended with status $?"
    { iconv -f UTF-8 -t UTF-8 <<<"$help" >/dev/null 2>&1 && grep -q '[äöüß]' <<<"$help"; } ||
        fail "$program.exe --help is not German in UTF-8: $(head -3 <<<"$help")"
    grep -qxF "Mehr im Handbuch: $windows_dir\\$program.html" <<<"${help//$'\r'/}" ||
        fail "$program.exe --help does not name $windows_dir\\$program.html: $(tail -3 <<<"$help")"
done
check_start_menu "$user_start_menu"

registry user.reg >"$work/registry.installed"
escaped_dir=${windows_dir//\\/\\\\}
uninstall='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kennfix]'
expect_registry "$work/registry.installed" HKEY_CURRENT_USER \
    "$uninstall \"DisplayName\"=\"Kennfix\"" \
    "$uninstall \"DisplayVersion\"=\"$(basename "$setup" | sed 's/^kennfix-//; s/-setup.exe$//')\"" \
    "$uninstall \"Publisher\"=\"Kennfix-Entwickler\"" \
    "$uninstall \"DisplayIcon\"=\"$escaped_dir\\\\kennfix.exe,0\"" \
    "$uninstall \"UninstallString\"=\"\\\"$escaped_dir\\\\uninstall.exe\\\"\"" \
    "$uninstall \"QuietUninstallString\"=\"\\\"$escaped_dir\\\\uninstall.exe\\\" /S\""
check_open_with "$work/registry.installed" HKEY_CURRENT_USER
grep -q '^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Kennfix\] "EstimatedSize"=dword:0*[1-9a-f]' \
    "$work/registry.installed" || fail "the entry under installed apps has no size"
if grep -qi kennfix "$prefix/system.reg"; then
    fail "the installer wrote to HKEY_LOCAL_MACHINE: $(grep -i kennfix "$prefix/system.reg" | head -3)"
fi

echo "== 3. Uninstalled with /S"
uninstall_silently
# The next start of Windows, which deletes what was left to it.
wineboot --restart
finish_wine
files >"$work/files.after"
registry user.reg >"$work/registry.after"
diff -u "$work/files.before" "$work/files.after" ||
    fail "the prefix's files differ from those before the install (-: removed, +: left)"
diff -u "$work/registry.before" "$work/registry.after" ||
    fail "HKEY_CURRENT_USER differs from what it was before the install (-: removed, +: left)"
if grep -qi kennfix "$prefix/system.reg"; then
    fail "HKEY_LOCAL_MACHINE names Kennfix: $(grep -i kennfix "$prefix/system.reg" | head -3)"
fi

echo "== 4. Into a folder of the user's own"
lohn="$prefix/drive_c/Daten/Lohn"
mkdir -p "$lohn"
echo "Notizen zur Lohnabrechnung" >"$lohn/COPYING.txt"
cp "$lohn/COPYING.txt" "$work/own-copying.txt"
wine "$setup" /S '/D=C:\Daten\Lohn' || fail "the installer ended with status $? for /D=C:\Daten\Lohn"
finish_wine
[ -f "$lohn/Kennfix/kennfix.exe" ] && [ -f "$lohn/Kennfix/uninstall.exe" ] ||
    fail "not installed into a folder Kennfix in C:\Daten\Lohn: $(ls "$lohn")"
cmp -s "$work/own-copying.txt" "$lohn/COPYING.txt" || fail "the installer overwrote the user's COPYING.txt"
wine 'C:\Daten\Lohn\Kennfix\uninstall.exe' /S || fail "the uninstaller ended with status $?"
finish_wine
cmp -s "$work/own-copying.txt" "$lohn/COPYING.txt" || fail "the uninstaller deleted or changed the user's COPYING.txt"
[ "$(ls -A "$lohn")" = COPYING.txt ] || fail "left in C:\Daten\Lohn: $(ls -A "$lohn")"
# Foreign files in the chosen folder and in its Kennfix: refused, untouched.
mkdir "$lohn/Kennfix"
echo "fremd" >"$lohn/Kennfix/kennfix.html"
status=0
wine "$setup" /S '/D=C:\Daten\Lohn' || status=$?
finish_wine
[ "$status" = 2 ] || fail "installing where C:\Daten\Lohn\Kennfix holds a foreign kennfix.html ended with status $status, not 2"
[ "$(ls -A "$lohn/Kennfix")" = kennfix.html ] && [ "$(cat "$lohn/Kennfix/kennfix.html")" = fremd ] ||
    fail "the refused install changed C:\Daten\Lohn\Kennfix: $(ls -A "$lohn/Kennfix")"
rm -rf "$prefix/drive_c/Daten"

echo "== 5. While Kennfix runs"
wine "$setup" /S || fail "the installer ended with status $?"
finish_wine
log=$(find "$prefix/drive_c/users/$user" -name Kennfix-Setup.log)
[ -n "$log" ] || fail "the refused install wrote no Kennfix-Setup.log"
log_has() { iconv -f UTF-16 -t UTF-8 "$log" | grep -cF "$1"; }
log_lines() { iconv -f UTF-16 -t UTF-8 "$log" | grep -c .; }
installed() { (cd "$install_dir" && sha256sum -- *); }
entry() { wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kennfix' /v DisplayVersion 2>/dev/null | tr -d '\r'; }
installed >"$work/installed.sums"
entry >"$work/entry"
grep -q DisplayVersion "$work/entry" || fail "no entry under installed apps"
unchanged() {
    installed | cmp -s - "$work/installed.sums" || fail "$1 changed the installed files: $(installed | diff - "$work/installed.sums")"
    entry | cmp -s - "$work/entry" || fail "$1 changed the entry under installed apps: $(entry)"
}
start_kennfix "$windows_dir\\kennfix.exe"
lines=$(log_lines)
status=0
wine "$setup" /S || status=$?
[ "$status" = 2 ] || fail "setup.exe /S over a running kennfix.exe ended with status $status, not 2"
unchanged "setup.exe /S over a running kennfix.exe"
[ "$(log_lines)" -gt "$lines" ] && [ "$(log_has "wurde nicht installiert, weil Kennfix noch läuft")" -ge 1 ] ||
    fail "Kennfix-Setup.log does not say why: $(iconv -f UTF-16 -t UTF-8 "$log")"
# The uninstaller's copy does the work after uninstall.exe has ended: its
# line in the log says it is done.
lines=$(log_lines)
wine "$windows_dir\\uninstall.exe" /S || true
for _ in $(seq 60); do
    [ "$(log_lines)" -gt "$lines" ] && break
    sleep 0.5
done
[ "$(log_has "Kennfix wurde nicht entfernt, weil Kennfix noch läuft")" -ge 1 ] ||
    fail "Kennfix-Setup.log does not say why uninstall.exe /S removed nothing: $(iconv -f UTF-16 -t UTF-8 "$log")"
unchanged "uninstall.exe /S while kennfix.exe runs"
status=0
wine "$windows_dir\\uninstall.exe" /S "_?=$windows_dir" || status=$?
[ "$status" = 2 ] || fail "uninstall.exe /S _?= while kennfix.exe runs ended with status $status, not 2"
unchanged "uninstall.exe /S _?= while kennfix.exe runs"

# Interactively: the installer asks, and installs once Kennfix is closed.
wine "$setup" >/dev/null 2>&1 &
installer=$!
page=$(window "$title") || fail "the installer showed no window"
xdotool windowactivate --sync "$page" key Return  # Weiter: the folder
sleep 2
xdotool windowactivate --sync "$page" key Return  # Installieren
question=
for _ in $(seq 60); do
    question=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | grep -vx "$page" | head -1) || true
    [ -n "$question" ] && break
    sleep 0.5
done
[ -n "$question" ] || fail "the installer did not ask to close the running kennfix.exe"
screenshot installer-kennfix-running.png
unchanged "the installer, while it asks to close kennfix.exe"
close_kennfix
xdotool windowactivate --sync "$question" key Return  # Wiederholen
for _ in $(seq 60); do
    xdotool search --onlyvisible --name "$title" 2>/dev/null | grep -qvx "$page" || break
    sleep 0.5
done
finish_installer "after \"Wiederholen\""
kennfix_window=$(window '^Kennfix$') || fail "\"Kennfix starten\" after \"Wiederholen\" opened no window"
close_kennfix
finish_wine
uninstall_silently
wineboot --restart
finish_wine
files | grep -v 'Kennfix-Setup.log$' >"$work/files.after"
diff -u "$work/files.before" "$work/files.after" ||
    fail "after the installs while Kennfix ran, the prefix's files differ from those before (-: removed, +: left)"
echo "The installer round trip left the prefix as it found it."
