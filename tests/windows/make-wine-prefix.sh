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
set -euo pipefail
prefix=$1
[ -f "$prefix/.kennfix-ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
# No downloads of Wine's .NET and HTML engines, which nothing here needs,
# and no menu builder, which would write into the home folder of the user.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
mkdir -p "$prefix/locale"
localedef -i de_DE -f UTF-8 "$prefix/locale/de_DE.UTF-8" 2>/dev/null || [ -d "$prefix/locale/de_DE.UTF-8" ]
german=(env LOCPATH="$prefix/locale" LC_ALL=de_DE.UTF-8)
"${german[@]}" wineboot --init >/dev/null 2>&1
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
"${german[@]}" wine regedit /S "$prefix/fonts.reg" >/dev/null 2>&1
"${german[@]}" wine regedit /S "$prefix/kennfix.reg" >/dev/null 2>&1
# The registry is written when the Wine server ends.
wineserver --wait
touch "$prefix/.kennfix-ready"
