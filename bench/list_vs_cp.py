#!/usr/bin/env python3
"""kennfix-batch against cp on the same generated staff list.

The machines these figures come from are shared and noisy, so the program is
measured against `cp` of the same file in the same run: the two run in turn,
several times, and the medians and the median of the ratios are given. Peak
memory (the largest resident set) is taken for lists of different lengths to
show it does not grow with the list, and for lists of blank lines after and
before the header, which wait for the output's encoding like any rows; GNU
time (Debian package time) measures it, as a process started from Python
would count Python's own memory as its peak.

  list_vs_cp.py [--rows N] [--runs R] [--memory-rows N,N...] [--blank-lines AFTER,BEFORE] KENNFIX_BATCH
  list_vs_cp.py --rows N --write-list FILE     (the list alone, to profile with)

The list is the one of bench/batch_benchmark.cpp: UTF-8, ';', five columns,
umlauts and double names, every row a valid person. It is written to a
temporary folder and removed afterwards.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

FAMILIES = ["Müller", "Schmidt", "Schön-Schulze", "Weiß", "Łukasiewicz", "Meier", "Bräuer", "Lüdtke",
            "\"von Otto\"", "Nguyễn"]
FIRSTS = ["Hans", "Eva", "José María", "Zoë", "Jürgen", "Ute", "Åsa", "Li"]
GNU_TIME = "/usr/bin/time"


def write_list(path, rows):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("Personalnummer;Familienname;Vorname;Geburtsdatum;Abteilung\r\n")
        lines = []
        for i in range(rows):
            lines.append(f"{100000 + i};{FAMILIES[i % len(FAMILIES)]};{FIRSTS[i % len(FIRSTS)]};"
                         f"{1 + i % 28:02d}.{1 + i % 12:02d}.{1950 + i % 60:04d};Lohnbuchhaltung\r\n")
            if len(lines) == 100000:
                f.write("".join(lines))
                lines.clear()
        f.write("".join(lines))


def write_blank_list(path, after, before):
    """A list of one person with `after` blank lines after its header and `before` before it."""
    with open(path, "w", encoding="utf-8", newline="") as f:
        for count, text in ((before, ""), (1, "Familienname;Vorname;Geburtsdatum\n"), (after, "")):
            f.write(text)
            for _ in range(count // 1_000_000):
                f.write("\n" * 1_000_000)
            f.write("\n" * (count % 1_000_000))
        f.write("Meier;Li;01.02.80\n")


def run(command, output):
    """Wall time in seconds of one run that writes output anew."""
    if os.path.exists(output):
        os.remove(output)
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed with status {done.returncode}:\n"
                 f"{done.stderr.decode(errors='replace')}")
    return elapsed


def peak_memory(command, output, folder):
    """The largest resident set of one run, in KiB, as GNU time reports it."""
    report = os.path.join(folder, "peak")
    run([GNU_TIME, "-f", "%M", "-o", report, *command], output)
    with open(report, encoding="utf-8") as f:
        return int(f.read().split()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", nargs="?", help="the kennfix-batch program")
    parser.add_argument("--rows", type=int, default=2_000_000, help="rows of the timed list")
    parser.add_argument("--runs", type=int, default=7, help="runs of each program, in turn")
    parser.add_argument("--memory-rows", default="1000000,2000000",
                        help="list lengths whose peak memory is shown, comma-separated")
    parser.add_argument("--blank-lines", default="40000000,20000000",
                        help="blank lines after and before the header of the lists of blank lines")
    parser.add_argument("--write-list", metavar="FILE", help="only write the list to FILE")
    args = parser.parse_args()
    if args.write_list:
        write_list(args.write_list, args.rows)
        return 0
    if not args.program:
        parser.error("the kennfix-batch program is missing")

    with tempfile.TemporaryDirectory(prefix="kennfix-list-vs-cp-") as folder:
        source = os.path.join(folder, "liste.csv")
        target = os.path.join(folder, "ergebnis.csv")
        write_list(source, args.rows)
        size = os.path.getsize(source)
        ours = [args.program, source, target, "--year", "2026"]
        copy = ["cp", source, target]

        run(copy, target)  # the list into the page cache, once for both
        mine, theirs, ratios = [], [], []
        for _ in range(args.runs):
            t_copy = run(copy, target)
            t_ours = run(ours, target)
            theirs.append(t_copy)
            mine.append(t_ours)
            ratios.append(t_ours / t_copy)

        median_ours = statistics.median(mine)
        median_copy = statistics.median(theirs)
        print(f"List: {args.rows:,} rows, {size / 1e6:.0f} MB, {args.runs} runs each, in turn")
        print(f"  kennfix-batch  median {median_ours * 1000:7.0f} ms  "
              f"(min {min(mine) * 1000:.0f}, max {max(mine) * 1000:.0f})  "
              f"{args.rows / median_ours / 1e6:.2f} million rows a second")
        print(f"  cp             median {median_copy * 1000:7.0f} ms  "
              f"(min {min(theirs) * 1000:.0f}, max {max(theirs) * 1000:.0f})")
        print(f"  ratio          {median_ours / median_copy:.1f} (medians), "
              f"{statistics.median(ratios):.1f} (median of the runs' ratios)")

        lengths = [int(n) for n in args.memory_rows.split(",") if n]
        if lengths and not os.access(GNU_TIME, os.X_OK):
            print(f"Peak memory: needs GNU time ({GNU_TIME}, Debian package time)")
            lengths = []
        if lengths:
            print("Peak memory (largest resident set):")
        written = args.rows
        for rows in lengths:
            if rows != written:
                write_list(source, rows)
                written = rows
            peak = peak_memory(ours, target, folder)
            print(f"  {rows:>11,} rows  {peak / 1024:6.1f} MiB")
        after, before = (int(n) for n in args.blank_lines.split(","))
        for count, where, lines in ((after, "after", (after, 0)), (before, "before", (0, before))):
            if lengths and count:
                write_blank_list(source, *lines)
                peak = peak_memory(ours, target, folder)
                print(f"  {count:>11,} blank lines {where} the header  {peak / 1024:6.1f} MiB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
