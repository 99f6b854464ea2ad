#!/usr/bin/env bash
# The Linux manual pages speak of Linux: nothing of Windows' installers,
# folders, spooler or Explorer, and no mark of the system sections
# (man/system-sections.cmake) is left in them.
#
#   linux_pages_test.sh PAGE...    (the built roff pages, not compressed)
set -euo pipefail
status=0
for page in "$@"; do
    if found=$(grep -n -E 'msiexec|setup\.exe|uninstall\.exe|%LOCALAPPDATA%|%ProgramFiles%|Druckwarteschlange|Explorer|Strg\+Pause|^; (begin|end) ' "$page"); then
        echo "FAIL: $(basename "$page") speaks of Windows matters:"
        echo "$found"
        status=1
    fi
done
[ $status -ne 0 ] || echo "$# pages without Windows matters."
exit $status
