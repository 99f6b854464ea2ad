#!/usr/bin/env bash
# Installs the build into a scratch folder as `cmake --install` does and
# checks what a Linux desktop reads from it: the desktop entry, the AppStream
# metainfo (also against the desktop entry) and the icon in every size; the
# manual pages, the copyright file and the changelog; and that the project's
# version reaches all that carry one.
#
#   install_test.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root/usr" >/dev/null
share=$root/usr/share
desktop=$share/applications/$id.desktop
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for program in kennfix kennfix-batch; do
    [ -x "$root/usr/bin/$program" ] || fail "bin/$program is not installed"
done

# desktop-file-validate exits 0 on warnings; a clean entry makes it say nothing.
report=$(desktop-file-validate --no-hints "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
# The whole tree: the metainfo's launchable must name an installed desktop entry.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = kennfix ] || fail "Exec is '$(entry Exec)'"
[ "$(entry Icon)" = "$id" ] || fail "Icon is '$(entry Icon)', not the program's id"
[ "$(entry Name)" = Kennfix ] || fail "Name is '$(entry Name)'"
[ "$(entry Categories)" = "Office;Finance;" ] || fail "Categories are '$(entry Categories)'"

icons=$share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$id.svg" || fail "no scalable icon"
for size in 16 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$id.png
    file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
        fail "${size}x${size} icon: $(file -b "$png" 2>&1)"
done

for program in kennfix kennfix-batch; do
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
newest=$(grep -o '<release version="[^"]*"' "$share/metainfo/$id.metainfo.xml" | sed -n 1p)
[ "$newest" = "<release version=\"$version\"" ] || fail "the metainfo's newest release is $newest, not $version"
[ "$("$root/usr/bin/kennfix-batch" --version)" = "kennfix-batch $version" ] ||
    fail "kennfix-batch --version says '$("$root/usr/bin/kennfix-batch" --version)'"

[ $failed -eq 0 ] && echo "Installed tree is complete and valid."
exit $failed
