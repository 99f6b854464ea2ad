#!/usr/bin/env bash
# Ctrl+C while kennfix-batch.exe writes a list: the program ends as Windows
# ends a program on Ctrl+C and leaves no file behind, neither the result nor
# its temporary file. Wine turns SIGINT into the console's Ctrl+C event, as
# pressing Ctrl+C in its terminal does. The list's rest never comes: the
# program is still waiting for it on standard input.
#
#   interrupt_test.sh WINE_RUN PREFIX KENNFIX_BATCH_EXE
set -uo pipefail
wine_run=$1 prefix=$2 program=$3
folder=$(mktemp -d)
trap 'kill "$feeder" 2>/dev/null; rm -rf "$folder"' EXIT
cd "$folder" || exit 1
mkfifo list
{ printf 'Familienname;Vorname;Geburtsdatum\r\nMüller;Jürgen;03.04.1975\r\n'; exec sleep 120; } >list 2>/dev/null &
feeder=$!
"$wine_run" "$prefix" "$program" - "Strg-C Ergebnis.csv" <list &
running=$!
for _ in $(seq 60); do
    [ -n "$(find . -name 'Strg-C Ergebnis.csv.*')" ] && break
    sleep 0.5
done
if [ -z "$(find . -name 'Strg-C Ergebnis.csv.*')" ]; then
    echo "no temporary file appeared beside the result"; ls -la; exit 1
fi
# The Windows program's own process, which Wine names after the .exe and
# its arguments; none of the other tests writes a file of this name.
pkill -INT -f "$(basename "$program") - Strg-C Ergebnis.csv" || { echo "the program's process was not found"; exit 1; }
wait "$running"
status=$?
# STATUS_CONTROL_C_EXIT (0xC000013A); a Unix exit status keeps its low byte.
if [ "$status" -ne $((0xC000013A & 0xFF)) ]; then
    echo "exit status $status, not that of Ctrl+C"; exit 1
fi
left=$(find . -type f)
if [ -n "$left" ]; then
    echo "left behind: $left"; exit 1
fi
echo "Ctrl+C: status $status, nothing left"
