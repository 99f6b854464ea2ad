#!/usr/bin/env bash
# Makes the Wine prefix the Windows programs are tested in: a Windows of the
# tests' own, set up as a German Windows 10 desktop is:
# - German regional settings. Wine takes them from the Unix locale and resets
#   those in the registry when it changes, so every run uses de_DE.UTF-8,
#   compiled into the prefix (LOCPATH) should the machine not have it; a
#   missing locale would also cost the UTF-8 of file names on the command line.
# - Real TrueType fonts, registered as Windows registers them: "Arial" and
#   "Courier New" are their metric twins Liberation Sans and Liberation Mono.
# - ClearType on, Windows' default; Wine's grey smoothing loses the "I".
#
#   make-wine-prefix.sh PREFIX        (made once; a second call does nothing)
#   wine-run PREFIX PROGRAM ARGS...   runs a Windows program in it
#
# Wine's output goes to PREFIX.log; a step that fails says which it was and
# prints that log. Prefixes are made one at a time on a machine (a lock in
# /tmp): Wine's first start in a new prefix, several at once on two cores
# busy with other tests, has failed without a word.
set -euo pipefail
prefix=$1
[ -f "$prefix/.kennfix-ready" ] && exit 0
log=$prefix.log
exec 9>"/tmp/kennfix-wine-prefix-$(id -u).lock"
flock 9
# Made by a second call for the same prefix while this one waited.
[ -f "$prefix/.kennfix-ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
: >"$log"

failed() {
    echo "make-wine-prefix.sh: $1 failed in $prefix; the log ($log):" >&2
    sed 's/^/  | /' "$log" >&2
    exit 1
}
trap 'failed "line $LINENO ($BASH_COMMAND)"' ERR

# step WHAT COMMAND...: runs the command with its output in the log.
step() {
    local what=$1 status=0
    shift
    echo "== $what: $*" >>"$log"
    "$@" >>"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || failed "$what (status $status)"
}

export WINEPREFIX=$prefix WINEDEBUG=-all
# No downloads of Wine's .NET and HTML engines, which nothing here needs,
# and no menu builder, which would write into the home folder of the user.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
mkdir -p "$prefix/locale"
# localedef warns with status 1 about things a German locale does not need.
compile_locale() {
    localedef -i de_DE -f UTF-8 "$prefix/locale/de_DE.UTF-8" || [ -d "$prefix/locale/de_DE.UTF-8" ]
}
step "compiling the German locale" compile_locale
german=(env LOCPATH="$prefix/locale" LC_ALL=de_DE.UTF-8)
step "Wine's first start" "${german[@]}" wineboot --init
{
    echo "REGEDIT4"
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]'
    for font in /usr/share/fonts/truetype/liberation/Liberation{Sans,Mono}-*.ttf; do
        cp "$font" "$prefix/drive_c/windows/Fonts/"
        echo "\"$(fc-scan --format '%{fullname[0]}' "$font") (TrueType)\"=\"$(basename "$font")\""
    done
} >"$prefix/fonts.reg"
cat >"$prefix/kennfix.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Desktop]
"FontSmoothing"="2"
"FontSmoothingType"=dword:00000002
"FontSmoothingGamma"=dword:00000578
"FontSmoothingOrientation"=dword:00000001

[HKEY_CURRENT_USER\Control Panel\International]
"Locale"="00000407"
"LocaleName"="de-DE"
"sShortDate"="dd.MM.yyyy"
"sDate"="."
"iDate"="1"
"sLanguage"="DEU"
"sCountry"="Deutschland"
"iCountry"="49"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
REG
step "registering the fonts" "${german[@]}" wine regedit /S "$prefix/fonts.reg"
step "the regional settings" "${german[@]}" wine regedit /S "$prefix/kennfix.reg"
# The registry is written when the Wine server ends.
step "writing the registry" wineserver --wait
touch "$prefix/.kennfix-ready"
