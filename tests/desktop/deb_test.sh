#!/usr/bin/env bash
# The Debian package as a user meets it: builds it with cpack, installs it
# with `apt-get install ./kennfix_*.deb`, runs the installed kennfix-batch on
# a list, reads its manual page with man, checks that the desktop offers
# kennfix-liste for CSV files, starts the installed kennfix under an X server
# of its own until its window appears, closes it with "Programm beenden",
# starts kennfix-liste on a list as a file manager does, closes it with
# Ctrl+Q, and removes the package again. Installing needs root; without it
# the test is skipped.
#
#   deb_test.sh BUILD_DIR APP_ID LISTE_APP_ID
set -uo pipefail
build=$1 id=$2 liste_id=$3

skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing the package needs root (CI runs as root)"
command -v apt-get >/dev/null || skip "no apt-get on this machine"
# The package is installed system-wide: two build trees testing at once take turns.
exec 9>/tmp/kennfix-deb-test.lock
flock -w 600 9 || skip "another package test holds /tmp/kennfix-deb-test.lock"
if dpkg-query -W -f='${Status}' kennfix 2>/dev/null | grep -q 'ok installed'; then
    skip "a kennfix package is installed already, and this test would replace it (apt-get remove kennfix to run it)"
fi

work=$(mktemp -d)
xvfb_pid='' program_pid='' installed=''
cleanup() {
    [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    if [ -n "$installed" ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=120 kennfix >/dev/null ||
            echo "FAIL: could not remove the package kennfix again"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
die() { echo "FAIL: $*"; exit 1; }
# starts LOG TITLE PROGRAM [ARGUMENT...]: starts the installed PROGRAM on
# the test's X server and waits up to 20 s for its window titled TITLE (a
# regular expression), which it puts in $window.
starts() {
    local log=$1 title=$2
    shift 2
    QT_QPA_PLATFORM=xcb "$@" >"$log" 2>&1 &
    program_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1)
    [ -n "$window" ] || { cat "$log"; die "no window '$title' of $1 within 20 seconds"; }
    echo "window $window of $1 is mapped"
    # The desktop entry finds the window by its class.
    local entry=/usr/share/applications/$([ "$1" = kennfix ] && echo "$id" || echo "$liste_id").desktop
    local wm_class
    wm_class=$(xprop -id "$window" WM_CLASS)
    [[ $wm_class == *"\"$(sed -n 's/^StartupWMClass=//p' "$entry")\""* ]] ||
        die "$1's WM_CLASS ($wm_class) does not match the StartupWMClass of $entry"
}
# ends NAME LOG: waits up to 10 s for the program started last to end, with status 0.
ends() {
    for _ in $(seq 100); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$program_pid" 2>/dev/null && die "$1 did not end within 10 seconds"
    wait "$program_pid"
    local status=$?
    program_pid=''
    [ $status -eq 0 ] || { cat "$2"; die "$1 ended with status $status"; }
    echo "$1 ended with status 0"
}

echo "== cpack"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; die "cpack failed"; }
debs=("$work"/kennfix_*_"$(dpkg --print-architecture)".deb)
[ -f "${debs[0]}" ] || die "no kennfix_<version>_<arch>.deb in $(ls "$work")"
depends=$(dpkg-deb -f "${debs[0]}" Depends)
echo "Depends: $depends"
# The Qt libraries come from dpkg-shlibdeps, the others are named by hand.
for package in libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins qt6-translations-l10n fonts-liberation; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] || die "the package does not depend on $package"
done

echo "== apt-get install ./$(basename "${debs[0]}")"
installed=1
(cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=120 \
    "./$(basename "${debs[0]}")") >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; die "apt-get install failed"; }
for file in /usr/bin/kennfix /usr/bin/kennfix-batch /usr/bin/kennfix-liste "/usr/share/applications/$id.desktop" \
    "/usr/share/applications/$liste_id.desktop" "/usr/share/metainfo/$id.metainfo.xml" \
    "/usr/share/metainfo/$liste_id.metainfo.xml" "/usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "/usr/share/icons/hicolor/48x48/apps/$id.png" /usr/share/man/man1/kennfix.1.gz \
    /usr/share/man/man1/kennfix-batch.1.gz /usr/share/man/man1/kennfix-liste.1.gz \
    /usr/share/doc/kennfix/copyright /usr/share/doc/kennfix/changelog.gz; do
    dpkg -S "$file" >/dev/null 2>&1 || die "$file is not in the installed package"
done

echo "== kennfix-liste for CSV files"
# What a file manager reads: the entry's MIME type, and the cache that
# update-desktop-database (triggered by dpkg) makes of all entries.
entry=/usr/share/applications/$liste_id.desktop
[ "$(sed -n 's/^MimeType=//p' "$entry")" = "text/csv;" ] || die "$entry does not take text/csv: $(grep MimeType "$entry")"
[ "$(sed -n 's/^Exec=//p' "$entry")" = "kennfix-liste %f" ] || die "$entry starts: $(grep Exec "$entry")"
grep -q "^text/csv=.*$liste_id.desktop" /usr/share/applications/mimeinfo.cache ||
    die "the desktop's MIME cache does not offer $liste_id for text/csv"

echo "== kennfix-batch"
list=$(printf 'Familienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.1980\n' | timeout 20 /usr/bin/kennfix-batch) ||
    die "the installed kennfix-batch failed"
[[ $list == *";MLLRHNSA80B01H;"* ]] || die "the installed kennfix-batch wrote: $list"

echo "== man kennfix-batch"
page=$(MANPAGER=cat MANWIDTH=80 man kennfix-batch 2>&1) || die "man kennfix-batch failed: $page"
[[ $page == *"kennfix-batch - die eTIN"* && $page == *"--delimiter"* ]] || die "man kennfix-batch shows: $page"

echo "== kennfix under Xvfb"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; die "Xvfb did not start"; }
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY

# The installed program as the desktop entry starts it: from PATH, no
# arguments, with the plugins and fonts the package depends on.
starts "$work/kennfix.log" '^Kennfix$' kennfix
# The title bar shows the program's own icon. It may be set a moment after
# the window is mapped; a loaded machine takes longer. xprop's answer is read
# whole: `grep -q` would stop reading it at the match, and under pipefail
# xprop's broken pipe would then count as no icon.
has_icon() { [[ $(xprop -id "$window" _NET_WM_ICON 2>/dev/null) == *"Icon (64 x 64)"* ]]; }
for _ in $(seq 200); do
    has_icon && break
    sleep 0.1
done
has_icon || die "the window has no 64x64 icon"

# "Programm beenden" sits at 240,106 with a size of 129x25 in the window.
xdotool mousemove --window "$window" 304 118 click 1
ends kennfix "$work/kennfix.log"

echo "== kennfix-liste under Xvfb"
# As a file manager starts it for a CSV file: Exec with the file for %f.
printf 'Familienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.1980\n' >"$work/personal.csv"
# The title names the list once it has been read.
starts "$work/kennfix-liste.log" '^personal\.csv ' kennfix-liste "$work/personal.csv"
# No window manager here to activate it: the keyboard's focus is given directly.
xdotool windowfocus --sync "$window" key ctrl+q
ends kennfix-liste "$work/kennfix-liste.log"
