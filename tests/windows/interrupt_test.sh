#!/usr/bin/env bash
# Ctrl+C while kennfix-batch.exe writes a list: the program ends as Windows
# ends a program on Ctrl+C and leaves no file behind, neither the result nor
# its temporary file. Wine turns SIGINT into the console's Ctrl+C event, as
# pressing Ctrl+C in its terminal does. The list's rest never comes: the
# program is still waiting for it on standard input.
#
# Once in an ordinary folder, once in the deepest folder Wine can write to:
# Wine opens a file by its Unix path through the prefix's drive link
# (PREFIX/dosdevices/z:/tmp/...), which Linux takes up to 4,095 bytes, so the
# temporary file's path is made just that long. (Windows goes to 32,767
# UTF-16 units, beyond what Wine can show; the register of temporary files is
# tested with such paths in tests/listengine.)
#
#   interrupt_test.sh WINE_RUN PREFIX KENNFIX_BATCH_EXE
set -uo pipefail
wine_run=$1 prefix=$2 program=$3
folder=$(mktemp -d)
feeder=
trap 'kill "$feeder" 2>/dev/null; rm -rf "$folder"' EXIT

bytes() { printf %s "$1" | wc -c; }

# interrupt_in DIR OUTPUT: the run with OUTPUT (the result's name as the
# program is given it), Ctrl+C and the checks in DIR.
interrupt_in() {
    cd "$1" || exit 1
    local output=$2
    rm -f list
    mkfifo list
    { printf 'Familienname;Vorname;Geburtsdatum\r\nMüller;Jürgen;03.04.1975\r\n'; exec sleep 120; } >list 2>/dev/null &
    feeder=$!
    # Started in the test's folder: Wine cannot start in one that deep.
    (cd "$folder" && exec "$wine_run" "$prefix" "$program" - "$output") <list &
    local running=$!
    for _ in $(seq 60); do
        [ -n "$(find . -maxdepth 1 -name 'Strg-C Ergebnis.csv.*')" ] && break
        sleep 0.5
    done
    if [ -z "$(find . -maxdepth 1 -name 'Strg-C Ergebnis.csv.*')" ]; then
        echo "no temporary file appeared beside the result in $PWD"; ls -la; exit 1
    fi
    # The Windows program's own process, which Wine names after the .exe and
    # its arguments; none of the other tests writes a file of this name, nor
    # into this test's folder.
    pkill -INT -f "$(basename "$program") - (Strg-C Ergebnis\.csv|Z:.*$(basename "$folder"))" ||
        { echo "the program's process was not found"; exit 1; }
    wait "$running"
    local status=$?
    kill "$feeder" 2>/dev/null
    rm -f list
    # STATUS_CONTROL_C_EXIT (0xC000013A); a Unix exit status keeps its low byte.
    if [ "$status" -ne $((0xC000013A & 0xFF)) ]; then
        echo "exit status $status, not that of Ctrl+C, in a folder of $(bytes "$PWD") bytes"; exit 1
    fi
    local left
    left=$(find . -maxdepth 1 -type f)
    if [ -n "$left" ]; then
        echo "left behind in a folder of $(bytes "$PWD") bytes: $left"; exit 1
    fi
    echo "Ctrl+C in a folder of $(bytes "$PWD") bytes: status $status, nothing left"
}

interrupt_in "$folder" "Strg-C Ergebnis.csv"

# Folders with umlauts (two bytes each), as deep as leaves the temporary
# file's path as Wine opens it 4,093 bytes long.
drive=$(cd "$prefix/dosdevices" && pwd)/z:
wanted=$(( 4093 - $(bytes "$drive") - $(bytes "/Strg-C Ergebnis.csv.XXXXXX") ))
deep=$folder
while [ "$(bytes "$deep")" -lt $(( wanted - 160 )) ]; do
    deep+=/Lohnbüro-Jahresabschluss-Überstunden-Ärzte-Größen
done
rest=$(( wanted - $(bytes "$deep") - 1 ))
deep+=/$(printf '%*s' "$rest" '' | tr ' ' 'x')
mkdir -p "$deep" || { echo "cannot make the deep folder"; exit 1; }
# Named by its whole path: Windows keeps no working folder that long.
interrupt_in "$deep" "Z:${deep//\//\\}\\Strg-C Ergebnis.csv"
