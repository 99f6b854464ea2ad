# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034  # $prefix comes from the test, what is set here goes to it
# What the installers' tests under Wine share (installer_test.sh, msi_test.sh);
# sourced, with $prefix set. Each test has a prefix of its own, made afresh
# (an install would change what the other Windows tests see), a desktop of
# its own (Xvfb, openbox) and a work folder $work, all gone when it ends.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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

rm -rf "$prefix"
"$here/make-wine-prefix.sh" "$prefix"

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
# outlives the uninstaller it was started by. Wine's menu builder is off: it
# would turn Start menu entries into desktop entries in the home folder of
# the user running the test.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
wine() { env LOCPATH="$prefix/locale" LC_ALL=de_DE.UTF-8 wine "$@"; }
wineboot() { env LOCPATH="$prefix/locale" LC_ALL=de_DE.UTF-8 wineboot "$@"; }
finish_wine() { wineserver -w; }

user=$(id -un)
user_start_menu="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

# What a prefix holds: its files, and a registry file (user.reg:
# HKEY_CURRENT_USER, system.reg: HKEY_LOCAL_MACHINE) key by key, value by
# value, without the time stamps and without what Wine rewrites whenever it
# starts: its own settings, the fonts it finds, the devices it records.
files() { (cd "$prefix" && find drive_c -printf '%y %P\n' | LC_ALL=C sort); }
registry() {
    awk '
        /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key)
                skip = key == "[Software\\\\Wine]" || index(key, "[Software\\\\Wine\\\\") == 1 ||
                       key == "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Fonts]" ||
                       index(key, "[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\") == 1
                if (!skip) print key; next }
        /^#time=/ || /^$/ || skip || key == "" { next }
        { print key " " $0 }
    ' "$prefix/$1" | LC_ALL=C sort
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
    sleep 1  # Wine paints a window after mapping it
    import -window root "$screenshots/$1"
    echo "screenshot: $screenshots/$1"
}

# Fails unless "Kennfix", "Kennfix Liste" and "Kennfix-Handbuch" are in one
# of the Start menu folders given, opening their files in $windows_dir.
check_start_menu() {
    local entry menu link
    for entry in "Kennfix:kennfix.exe" "Kennfix Liste:kennfix-liste.exe" "Kennfix-Handbuch:kennfix.html"; do
        link=
        for menu in "$@"; do
            [ -f "$menu/${entry%%:*}.lnk" ] && link="$menu/${entry%%:*}.lnk"
        done
        [ -n "$link" ] || fail "no Start menu entry ${entry%%:*}"
        grep -aqF "$windows_dir\\${entry#*:}" "$link" || fail "the Start menu entry ${entry%%:*} does not open ${entry#*:}"
    done
}

# Fails unless every line given is one of the registry's lines in FILE (as
# registry() writes them) of HIVE. Values are written as the .reg files
# write them: backslashes and quotes escaped, hence $escaped_dir.
expect_registry() {
    local file=$1 hive=$2 line
    shift 2
    for line in "$@"; do
        grep -qxF -- "$line" "$file" || fail "not in $hive: $line"
    done
}

# Fails unless FILE (of HIVE) has "Öffnen mit → Kennfix Liste" for .csv
# files, and nothing of .csv itself: what opens a .csv on a double click is
# not ours to set.
check_open_with() {
    local file=$1 hive=$2 open_with='[Software\\Classes\\Applications\\kennfix-liste.exe'
    expect_registry "$file" "$hive" \
        "$open_with] \"FriendlyAppName\"=\"Kennfix Liste\"" \
        "$open_with"'\\DefaultIcon] @="'"$escaped_dir"'\\kennfix-liste.exe,0"' \
        "$open_with"'\\shell\\open\\command] @="\"'"$escaped_dir"'\\kennfix-liste.exe\" \"%1\""' \
        "$open_with"'\\SupportedTypes] ".csv"=""' \
        '[Software\\Classes\\.csv\\OpenWithList\\kennfix-liste.exe]'
    if grep -q '^\[Software\\\\Classes\\\\\.csv\] ' "$file"; then
        fail "values of .csv itself set in $hive: $(grep '^\[Software\\\\Classes\\\\\.csv\] ' "$file")"
    fi
}

# Starts an installed kennfix.exe (Windows path $1) on the desktop and waits
# for its window: a clerk who left Kennfix open. Sets $kennfix_window.
start_kennfix() {
    wine "$1" >/dev/null 2>&1 &
    kennfix_window=$(window '^Kennfix$') || fail "$1 showed no window"
}
close_kennfix() {
    xdotool windowactivate --sync "$kennfix_window" key alt+F4
    for _ in $(seq 60); do
        xdotool search --onlyvisible --name '^Kennfix$' >/dev/null 2>&1 || return 0
        sleep 0.5
    done
    fail "kennfix.exe did not end"
}
