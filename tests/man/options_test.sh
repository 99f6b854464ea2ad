#!/usr/bin/env bash
# Compares the options that `PROGRAM --help` prints with those that the
# manual page describes under OPTIONEN: both must name the same options
# (short and long forms, and the name of the value) in the same order. Fails
# on an option missing from the page, one the program no longer has, another
# name of its value, a changed order, and on a help that does not name the page.
#
#   options_test.sh PROGRAM PAGE    (PAGE: the built roff page, not compressed)
set -euo pipefail
program=$1 page=$2

# Options from --help: an option list is a paragraph under a heading
# ("Optionen:") whose first entry starts with "-" after the indentation, so
# that explanations further down that mention an option do not count. In
# each entry the options stand before the description, two blanks from it
# (CLI11 "-d,--delimiter ZEICHEN", Qt "-d, --delimiter <ZEICHEN>"); both
# become "-d --delimiter ZEICHEN".
help=$("$program" --help) || { echo "FAIL: $program --help ended with status $?"; exit 1; }
from_help=$(printf '%s\n\n' "$help" | awk '
    /^[[:space:]]*$/ { if (is_list) printf "%s", entries; heading = ""; entries = ""; is_list = 0; lines = 0; next }
    { lines++ }
    lines == 1 { if ($0 ~ /:$/) heading = $0; next }
    lines == 2 && heading != "" && /^[[:space:]]+-/ { is_list = 1 }
    /^[[:space:]]+-/ { entries = entries $0 "\n" }
' | sed 's/^[[:space:]]*//; s/  .*//; s/,/ /g; s/[<>]//g; s/  */ /g' || true)

# Options from the page: scdoc writes each entry of a list of terms as the
# term's line followed by ".RS", as "\fB-d\fR, \fB--delimiter\fR \fIZEICHEN\fR".
from_page=$(awk '
    /^\.SH / { in_options = ($0 ~ /^\.SH "?OPTIONEN"?$/); previous = ""; next }
    in_options && /^\.RS/ && previous != "" { print previous }
    { previous = ($0 ~ /^\./) ? "" : $0 }
' "$page" | sed 's/\\f[BIR]//g; s/,/ /g; s/  */ /g; s/ $//' || true)

name=$(basename "$program")
# The help sends the reader on to the page (on Windows, to its HTML form).
if ! grep -qxF "Mehr im Handbuch: man $name" <<<"$help"; then
    echo "FAIL: $name --help does not point to its manual page (\"Mehr im Handbuch: man $name\")"
    exit 1
fi
if [ -z "$from_help" ]; then
    echo "FAIL: found no options in the output of $name --help:"
    printf '%s\n' "$help"
    exit 1
fi
if [ "$from_help" != "$from_page" ]; then
    echo "FAIL: the manual page $(basename "$page") and $name --help list different options"
    echo "(left: --help, right: the page's OPTIONEN, in order):"
    diff <(printf '%s\n' "$from_help") <(printf '%s\n' "$from_page") || true
    exit 1
fi
echo "$name: the manual page describes the $(wc -l <<<"$from_help") options of --help, in their order."
