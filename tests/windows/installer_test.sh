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
#
#   installer_test.sh SETUP PREFIX SCREENSHOTS
set -euo pipefail
setup=$1 prefix=$2 screenshots=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

[ -f "$setup" ] || fail "the installer $setup is missing (scripts/windows makes it)"
rm -rf "$prefix"
"$here/make-wine-prefix.sh" "$prefix"
mkdir -p "$screenshots"

# The desktop: Xvfb picks a free display and tells its number.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 number <"$work/display" || fail "Xvfb did not start"
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)

# Wine as tests/windows/wine-run sets it up, but waited for: the Wine server
# ends a few seconds after the last program, also the uninstaller's copy that
# outlives the uninstaller it was started by.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
wine() { env LOCPATH="$prefix/locale" LC_ALL=de_DE.UTF-8 wine "$@"; }
wineboot() { env LOCPATH="$prefix/locale" LC_ALL=de_DE.UTF-8 wineboot "$@"; }
finish_wine() { wineserver -w; }

user=$(id -un)
install_dir="$prefix/drive_c/users/$user/AppData/Local/Programs/Kennfix"
windows_dir="C:\\users\\$user\\AppData\\Local\\Programs\\Kennfix"
start_menu="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
installed_files=(kennfix.exe kennfix-liste.exe kennfix-batch.exe kennfix.html kennfix-liste.html kennfix-batch.html
                 COPYING.txt uninstall.exe)

# What a prefix holds: its files, and HKEY_CURRENT_USER key by key, value by
# value (without the time stamps, and without Wine's own settings, which
# Wine rewrites whenever it starts).
files() { (cd "$prefix" && find drive_c -printf '%y %P\n' | LC_ALL=C sort); }
user_registry() {
    awk '
        /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key)
                skip = key == "[Software\\\\Wine]" || index(key, "[Software\\\\Wine\\\\") == 1
                if (!skip) print key; next }
        /^#time=/ || /^$/ || skip || key == "" { next }
        { print key " " $0 }
    ' "$prefix/user.reg" | LC_ALL=C sort
}

# Waits up to 60 s for a visible window whose name matches; its id.
window() {
    local id
    for _ in $(seq 120); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    return 1
}

screenshot() {
    sleep 1  # Wine paints the page after mapping its window
    import -window root "$screenshots/$1"
    echo "screenshot: $screenshots/$1"
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
user_registry >"$work/registry.before"

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
# Fertigstellen, "Kennfix starten" ticked; once more should a busy machine
# have shown the page late.
for _ in 1 2 3 4 5; do
    kill -0 "$installer" 2>/dev/null || break
    xdotool windowactivate --sync "$page" key Return 2>/dev/null || true
    sleep 3
done
wait "$installer" || fail "the installer ended with status $?"
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
for entry in "Kennfix:kennfix.exe" "Kennfix Liste:kennfix-liste.exe" "Kennfix-Handbuch:kennfix.html"; do
    link="$start_menu/${entry%%:*}.lnk"
    [ -f "$link" ] || fail "no Start menu entry ${entry%%:*}"
    grep -aqF "$windows_dir\\${entry#*:}" "$link" || fail "the Start menu entry ${entry%%:*} does not open ${entry#*:}"
done

user_registry >"$work/registry.installed"
# Values as user.reg writes them: backslashes and quotes escaped.
escaped_dir=${windows_dir//\\/\\\\}
uninstall='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kennfix]'
open_with='[Software\\Classes\\Applications\\kennfix-liste.exe'
expected=(
    "$uninstall \"DisplayName\"=\"Kennfix\""
    "$uninstall \"DisplayVersion\"=\"$(basename "$setup" | sed 's/^kennfix-//; s/-setup.exe$//')\""
    "$uninstall \"Publisher\"=\"Kennfix-Entwickler\""
    "$uninstall \"DisplayIcon\"=\"$escaped_dir\\\\kennfix.exe,0\""
    "$uninstall \"UninstallString\"=\"\\\"$escaped_dir\\\\uninstall.exe\\\"\""
    "$uninstall \"QuietUninstallString\"=\"\\\"$escaped_dir\\\\uninstall.exe\\\" /S\""
    "$open_with] \"FriendlyAppName\"=\"Kennfix Liste\""
    "$open_with"'\\shell\\open\\command] @="\"'"$escaped_dir"'\\kennfix-liste.exe\" \"%1\""'
    "$open_with"'\\SupportedTypes] ".csv"=""'
    '[Software\\Classes\\.csv\\OpenWithList\\kennfix-liste.exe]'
)
for line in "${expected[@]}"; do
    grep -qxF -- "$line" "$work/registry.installed" || fail "not in HKEY_CURRENT_USER: $line"
done
grep -q '^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Kennfix\] "EstimatedSize"=dword:0*[1-9a-f]' \
    "$work/registry.installed" || fail "the entry under installed apps has no size"
# "Öffnen mit" only: what opens a .csv on a double click is not ours to set.
if grep -q '^\[Software\\\\Classes\\\\\.csv\] ' "$work/registry.installed"; then
    fail "the installer set values of .csv itself: $(grep '^\[Software\\\\Classes\\\\\.csv\] ' "$work/registry.installed")"
fi
if grep -qi kennfix "$prefix/system.reg"; then
    fail "the installer wrote to HKEY_LOCAL_MACHINE: $(grep -i kennfix "$prefix/system.reg" | head -3)"
fi

echo "== 3. Uninstalled with /S"
uninstall_silently
# The next start of Windows, which deletes what was left to it.
wineboot --restart
finish_wine
files >"$work/files.after"
user_registry >"$work/registry.after"
diff -u "$work/files.before" "$work/files.after" ||
    fail "the prefix's files differ from those before the install (-: removed, +: left)"
diff -u "$work/registry.before" "$work/registry.after" ||
    fail "HKEY_CURRENT_USER differs from what it was before the install (-: removed, +: left)"
if grep -qi kennfix "$prefix/system.reg"; then
    fail "HKEY_LOCAL_MACHINE names Kennfix: $(grep -i kennfix "$prefix/system.reg" | head -3)"
fi
echo "The installer round trip left the prefix as it found it."
