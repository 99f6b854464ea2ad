#!/usr/bin/env bash
# Installs the build into a scratch folder as `cmake --install` does and
# checks what a Linux desktop reads from it: the desktop entries of both
# window programs (kennfix-liste's offered for CSV files), their AppStream
# metainfo (also against the desktop entries) and the icon in every size;
# the manual pages, the copyright file and the changelog; and that the
# project's version reaches all that carry one.
#
#   install_test.sh BUILD_DIR APP_ID LISTE_APP_ID VERSION
set -euo pipefail
build=$1 id=$2 liste_id=$3 version=$4

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root/usr" >/dev/null
share=$root/usr/share
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for program in kennfix kennfix-batch kennfix-liste; do
    [ -x "$root/usr/bin/$program" ] || fail "bin/$program is not installed"
done

for app in "$id" "$liste_id"; do
    # desktop-file-validate exits 0 on warnings; a clean entry makes it say nothing.
    report=$(desktop-file-validate --no-hints "$share/applications/$app.desktop" 2>&1) ||
        fail "desktop-file-validate failed on $app.desktop"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
    appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate $app"
done
# The whole tree: each metainfo's launchable must name an installed desktop entry.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

# entry APP KEY: the value of KEY in APP's desktop entry.
entry() { sed -n "s/^$2=//p" "$share/applications/$1.desktop"; }
[ "$(entry "$id" Exec)" = kennfix ] || fail "Exec is '$(entry "$id" Exec)'"
[ "$(entry "$id" Icon)" = "$id" ] || fail "Icon is '$(entry "$id" Icon)', not the program's id"
[ "$(entry "$id" Name)" = Kennfix ] || fail "Name is '$(entry "$id" Name)'"
[ "$(entry "$id" Categories)" = "Office;Finance;" ] || fail "Categories are '$(entry "$id" Categories)'"
# A file manager offers kennfix-liste for CSV files and hands it the file.
[ "$(entry "$liste_id" Exec)" = "kennfix-liste %f" ] || fail "kennfix-liste's Exec is '$(entry "$liste_id" Exec)'"
[ "$(entry "$liste_id" MimeType)" = "text/csv;" ] || fail "kennfix-liste's MimeType is '$(entry "$liste_id" MimeType)'"
[ "$(entry "$liste_id" Name)" = "Kennfix Liste" ] || fail "kennfix-liste's Name is '$(entry "$liste_id" Name)'"
[ "$(entry "$liste_id" Icon)" = "$id" ] || fail "kennfix-liste's Icon is '$(entry "$liste_id" Icon)', not the shared icon"
[ "$(entry "$liste_id" Categories)" = "$(entry "$id" Categories)" ] ||
    fail "kennfix-liste's Categories are '$(entry "$liste_id" Categories)'"

icons=$share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$id.svg" || fail "no scalable icon"
for size in 16 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$id.png
    file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
        fail "${size}x${size} icon: $(file -b "$png" 2>&1)"
done

for program in kennfix kennfix-batch kennfix-liste; do
    page=$root/usr/share/man/man1/$program.1.gz
    if [ ! -f "$page" ]; then
        fail "no manual page $program(1)"
        continue
    fi
    # The date comes between section and source: .TH "kennfix" "1" "2026-12-10" "Kennfix 1.0.0" ...
    th=$(zcat "$page" | sed -n '/^\.TH /p')
    [[ $th == ".TH \"$program\" \"1\" \""*"\" \"Kennfix $version\" "* ]] ||
        fail "$program(1) does not carry the version $version: $th"
done

doc=$root/usr/share/doc/kennfix
grep -q '^License: GPL-3+$' "$doc/copyright" || fail "no copyright file with the licence in share/doc/kennfix"
first=$(zcat "$doc/changelog.gz" | sed -n 1p)
[ "$first" = "kennfix ($version) unstable; urgency=medium" ] || fail "the changelog does not begin with $version: $first"
for app in "$id" "$liste_id"; do
    newest=$(grep -o '<release version="[^"]*"' "$share/metainfo/$app.metainfo.xml" | sed -n 1p)
    [ "$newest" = "<release version=\"$version\"" ] || fail "$app's newest release is $newest, not $version"
done
for program in kennfix-batch kennfix-liste; do
    said=$("$root/usr/bin/$program" --version)
    [ "$said" = "$program $version" ] || fail "$program --version says '$said'"
done

[ $failed -eq 0 ] && echo "Installed tree is complete and valid."
exit $failed
