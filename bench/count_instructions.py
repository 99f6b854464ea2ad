#!/usr/bin/env python3
"""Instructions per ComputeEtin call, counted by callgrind.

Runs etin_calls under valgrind --tool=callgrind with N and with 2N calls for
each measured person; the difference divided by N is what one call costs,
start-up, exit and the printing of the result cancel out. Counts are exact
for a given binary, so a limit can be checked without the noise of timings.

  count_instructions.py [--valgrind PATH] [--rounds N] [--limit L] ETIN_CALLS

With --limit, exits 1 when a typical name takes more than L instructions.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

TYPICAL = ["0", "1", "2", "3"]  # the indices of kTypical in people.h
LONG = "long"


def instructions(valgrind, program, rounds, person, workdir):
    out = os.path.join(workdir, "callgrind.out")
    run = subprocess.run(
        [valgrind, "--tool=callgrind", "--callgrind-out-file=" + out,
         program, str(rounds), person],
        capture_output=True, text=True, check=False)
    if run.returncode != 0:
        sys.exit(f"valgrind {program} {rounds} {person} failed:\n{run.stderr}")
    with open(out, encoding="utf-8") as f:
        totals = re.search(r"^(?:summary|totals): (\d+)", f.read(), re.MULTILINE)
    os.remove(out)
    if not totals:
        sys.exit(f"no instruction total in callgrind's output for person {person}")
    return int(totals.group(1)), run.stdout.strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", help="the etin_calls program")
    parser.add_argument("--valgrind", default="valgrind", help="the valgrind program")
    parser.add_argument("--rounds", type=int, default=10000, help="N, the calls of the shorter run")
    parser.add_argument("--limit", type=int, help="most instructions a typical call may take")
    args = parser.parse_args()

    over = []
    with tempfile.TemporaryDirectory(prefix="kennfix-callgrind-") as workdir:
        for person in TYPICAL + [LONG]:
            once, call = instructions(args.valgrind, args.program, args.rounds, person, workdir)
            twice, _ = instructions(args.valgrind, args.program, 2 * args.rounds, person, workdir)
            per_call = (twice - once) / args.rounds
            print(f"{per_call:8.0f} instructions  {call}")
            if args.limit is not None and person in TYPICAL and per_call > args.limit:
                over.append(call)
    if over:
        print(f"More than {args.limit} instructions per call:", *over, sep="\n  ")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
