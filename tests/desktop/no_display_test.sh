#!/usr/bin/env bash
# A window program started where no display can be reached (no DISPLAY, or
# one whose X server is gone, as after logging out) says so in German and
# ends with status 1, not with Qt's English message and a core dump.
#
#   no_display_test.sh PROGRAM...
set -uo pipefail

failed=0
fail() { echo "FAIL: $*"; failed=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for program in "$@"; do
    name=$(basename "$program")
    for display in '' ':4711'; do
        env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=xcb timeout 20 "$program" >"$work/out" 2>"$work/err"
        status=$?
        what="$name with DISPLAY='$display'"
        [ $status -eq 1 ] || fail "$what ended with status $status"
        grep -q "^$name: Das Fenster kann nicht geöffnet werden" "$work/err" || fail "$what said: $(cat "$work/err")"
        grep -q -i 'application\|plugin\|could not' "$work/err" && fail "$what spoke English: $(cat "$work/err")"
    done
done
[ $failed -eq 0 ] && echo "every program explained in German that it has no display"
exit $failed
