#!/usr/bin/env bash
# The MSI under Wine, as an IT department deploys it, in a prefix of its own
# made afresh:
#   1. An older version (built here from the same files, with a lower version
#      number) installed with msiexec /i /qn, then this one over it while the
#      old kennfix.exe runs on the test's desktop: the upgrade replaces it,
#      the file in use at the next start of Windows, and msiexec says so with
#      3010 (a restart is needed).
#   2. The programs, the manual and the licence in %ProgramFiles%\Kennfix,
#      the Start menu entries, "Öffnen mit" for .csv files (what opens a .csv
#      by default untouched) and one entry under installed apps, all under
#      HKEY_LOCAL_MACHINE; nothing in HKEY_CURRENT_USER. The installed
#      kennfix-batch.exe gives the Linux kennfix-batch's bytes for a list.
#   3. A repair (REINSTALL=ALL, as msiexec /f) puts back a deleted program.
#   4. msiexec /x /qn: after the next start of Windows the prefix's files,
#      HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are as before the first
#      install.
#
#   msi_test.sh MSI PROGRAMS PREFIX SCREENSHOTS LINUX_BATCH LIST
# PROGRAMS is the folder of the Windows programs (build-windows/), with the
# manual and kennfix.ico; LINUX_BATCH the Linux kennfix-batch; LIST a list.
set -euo pipefail
msi=$1 programs=$2 prefix=$3 screenshots=$4 linux_batch=$5 list=$6
[ -f "$msi" ] || { echo "FAIL: the MSI $msi is missing (scripts/windows makes it)" >&2; exit 1; }
# shellcheck source=tests/windows/installer-lib.sh
source "$(dirname "$0")/installer-lib.sh"
mkdir -p "$screenshots"
root=$(cd "$here/../.." && pwd)

install_dir="$prefix/drive_c/Program Files/Kennfix"
windows_dir='C:\Program Files\Kennfix'
installed_files=(kennfix.exe kennfix-liste.exe kennfix-batch.exe kennfix.html kennfix-liste.html kennfix-batch.html
                 COPYING.txt)
version=$(basename "$msi" | sed 's/^kennfix-//; s/-x64\.msi$//')
windows_path() { local path; path=$(realpath "$1"); echo "Z:${path//\//\\}"; }

# msiexec's exit status: Wine hands the Linux caller only its low eight bits,
# so ERROR_SUCCESS_REBOOT_REQUIRED (3010) arrives as 194.
restart_needed=$((3010 % 256))
msiexec() {
    local status=0
    wine msiexec "$@" /qn || status=$?
    echo "$status"
}

# The product code of a package, and its entry under installed apps.
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
entries() {
    registry system.reg | awk -F'] ' '
        index($0, "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\{") == 1 {
            lines[$1] = lines[$1] $0 "\n"
            if ($2 == "\"DisplayName\"=\"Kennfix\"") kennfix[$1] = 1 }
        END { for (key in kennfix) printf "%s", lines[key] }'
}

# Windows Installer's own folder and keys, there on Windows from the start;
# Wine makes them with the first package. The baseline is taken after a
# start of Windows, as the end is: Wine rewrites some of its own keys then.
mkdir -p "$prefix/drive_c/windows/Installer"
for key in 'HKCU\Software\Classes' 'HKLM\Software\Classes\Installer\Features' \
           'HKLM\Software\Classes\Installer\Products' 'HKLM\Software\Classes\Installer\UpgradeCodes' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Installer\UpgradeCodes' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Components' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Products'; do
    wine reg add "$key" /f >/dev/null
done
finish_wine
wineboot --restart
finish_wine
files >"$work/files.before"
registry system.reg >"$work/machine.before"
registry user.reg >"$work/user.before"

echo "== 1. Version 1.0.0, then $version over it while kennfix.exe runs"
stage=$work/stage
mkdir "$stage"
for file in "${installed_files[@]}"; do
    [ "$file" = COPYING.txt ] || cp "$programs/$file" "$stage/"
done
cp "$root/COPYING" "$stage/COPYING.txt"
# The older programs say they are 1.0.0, as that release's did: Windows
# Installer replaces a program only with a newer version of it.
python3 - "$stage"/kennfix*.exe <<'PYTHON' || fail "the programs' version could not be made 1.0.0"
import struct, sys
for path in sys.argv[1:]:
    data = bytearray(open(path, "rb").read())
    at = data.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO
    if at < 0:
        sys.exit(f"{path}: no version resource")
    struct.pack_into("<4I", data, at + 8, 0x00010000, 0, 0x00010000, 0)  # file and product 1.0.0.0
    open(path, "wb").write(data)
PYTHON
old=$work/kennfix-1.0.0-x64.msi
cmake -DWIXL="$(command -v wixl)" -DWXS="$root/packaging/windows/kennfix.wxs" -DSTAGE="$stage" \
    -DICON="$programs/kennfix.ico" -DVERSION=1.0.0 -DOUTPUT="$old" -P "$root/packaging/windows/msi.cmake" ||
    fail "wixl could not build version 1.0.0"
status=$(msiexec /i "$(windows_path "$old")")
[ "$status" = 0 ] || fail "msiexec /i of version 1.0.0 ended with status $status"
finish_wine
entries | grep -qF '"DisplayVersion"="1.0.0"' || fail "version 1.0.0 has no entry under installed apps: $(entries)"

start_kennfix "$windows_dir\\kennfix.exe"
status=$(msiexec /i "$(windows_path "$msi")")
[ "$status" = "$restart_needed" ] ||
    fail "msiexec /i over a running kennfix.exe ended with status $status, not 3010 (a restart is needed)"
screenshot msi-upgrade-kennfix-running.png
close_kennfix
finish_wine
grep -A2 '"PendingFileRenameOperations"' "$prefix/system.reg" | grep -qF 'Kennfix\\kennfix.exe' ||
    fail "the kennfix.exe in use is not replaced at the next start of Windows"
wineboot --restart
finish_wine
for program in kennfix kennfix-liste kennfix-batch; do
    cmp -s "$install_dir/$program.exe" "$programs/$program.exe" || fail "$program.exe of 1.0.0 was not replaced"
done
code=$(product_code "$msi")
[ "$(entries | cut -d']' -f1 | sort -u)" = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\$code" ] ||
    fail "the entries under installed apps are not just the one of $version ($code): $(entries)"
entries | grep -qF "\"DisplayVersion\"=\"$version\"" || fail "the entry under installed apps is not of $version: $(entries)"

echo "== 2. What it installed"
for file in "${installed_files[@]}"; do
    [ -f "$install_dir/$file" ] || fail "not installed: $file"
    [ "$file" = COPYING.txt ] || cmp -s "$install_dir/$file" "$programs/$file" || fail "the installed $file is not the one built"
done
cmp -s "$install_dir/COPYING.txt" "$root/COPYING" || fail "the installed COPYING.txt is not the licence"
# Wine puts the Start menu entries of all users into the user's own; Windows
# into the common one (ProgramData).
check_start_menu "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" "$user_start_menu"

registry system.reg >"$work/machine.installed"
escaped_dir=${windows_dir//\\/\\\\}
uninstall="[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\$code]"
expect_registry "$work/machine.installed" HKEY_LOCAL_MACHINE \
    "$uninstall \"DisplayName\"=\"Kennfix\"" \
    "$uninstall \"Publisher\"=\"Kennfix-Entwickler\"" \
    "$uninstall \"InstallLocation\"=\"$escaped_dir\\\\\""
check_open_with "$work/machine.installed" HKEY_LOCAL_MACHINE
# The size: Windows computes it (EstimatedSize), Wine shows ours. The icon:
# Windows Installer keeps it with the product.
grep -q "^$(sed 's/[][\\.]/\\&/g' <<<"$uninstall") \"Size\"=\"[1-9][0-9]*\"" "$work/machine.installed" ||
    fail "the entry under installed apps has no size: $(grep -F "$uninstall" "$work/machine.installed")"
grep -q '"ProductIcon"=".*kennfix\.ico"' "$work/machine.installed" || fail "the product has no icon"
registry user.reg | diff -u "$work/user.before" - || fail "the package wrote to HKEY_CURRENT_USER"

# The installed kennfix-batch.exe gives the Linux program's bytes.
cp "$list" "$work/Liste.csv"
status=0
wine "$windows_dir\\kennfix-batch.exe" "$(windows_path "$work/Liste.csv")" >"$work/windows.out" 2>/dev/null || status=$?
linux_status=0
"$linux_batch" "$work/Liste.csv" >"$work/linux.out" 2>/dev/null || linux_status=$?
[ "$status" = "$linux_status" ] || fail "the installed kennfix-batch.exe ended with status $status, Linux's with $linux_status"
cmp "$work/windows.out" "$work/linux.out" || fail "the installed kennfix-batch.exe wrote other bytes than Linux's"
finish_wine

echo "== 3. Repaired"
rm "$install_dir/kennfix-batch.exe"
# What msiexec /f does (its default, omus); Wine's msiexec knows /f only
# with a package and then does not find the product it installed.
status=$(msiexec /i "$(windows_path "$msi")" REINSTALL=ALL REINSTALLMODE=omus)
[ "$status" = 0 ] || fail "the repair (REINSTALL=ALL) ended with status $status"
finish_wine
cmp -s "$install_dir/kennfix-batch.exe" "$programs/kennfix-batch.exe" || fail "the repair did not put back kennfix-batch.exe"

echo "== 4. Removed"
# Not while kennfix.exe runs: Windows Installer would delete it at the next
# start and end with 3010, as it replaces it above, but Wine's removes what
# it can, ends with 0 and leaves the running program (docs/windows.md).
status=$(msiexec /x "$(windows_path "$msi")")
[ "$status" = 0 ] || fail "msiexec /x ended with status $status"
finish_wine
wineboot --restart
finish_wine
files >"$work/files.after"
diff -u "$work/files.before" "$work/files.after" ||
    fail "the prefix's files differ from those before the install (-: removed, +: left)"
registry system.reg | diff -u "$work/machine.before" - ||
    fail "HKEY_LOCAL_MACHINE differs from what it was before the install (-: removed, +: left)"
registry user.reg | diff -u "$work/user.before" - ||
    fail "HKEY_CURRENT_USER differs from what it was before the install (-: removed, +: left)"
echo "The MSI left the prefix as it found it."
