#!/usr/bin/env bash
# Checks the Debian package as Debian checks its own: builds it with cpack
# and runs lintian on it, which must report no error and no warning (it
# lists the informational tags too). Also checks what the control fields
# say that lintian does not: the version and the recommended Wayland plugin.
#
#   lintian_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
die() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; die "cpack failed"; }
deb=$work/kennfix_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || die "no $(basename "$deb") in: $(ls "$work")"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || die "the package's version is $(dpkg-deb -f "$deb" Version), not $version"
[[ ", $(dpkg-deb -f "$deb" Recommends)," == *", qt6-wayland,"* ]] ||
    die "the package does not recommend qt6-wayland: Recommends: $(dpkg-deb -f "$deb" Recommends)"

# lintian warns when run as root (as CI runs) and goes on.
lintian --fail-on error,warning --display-info "$deb" 2> >(grep -v 'running with root privileges' >&2)
status=$?
[ $status -eq 0 ] || die "lintian found errors or warnings (exit status $status)"
echo "lintian reports no error and no warning on $(basename "$deb")."
