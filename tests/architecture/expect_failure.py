#!/usr/bin/env python3
"""Runs the architecture check on a broken tree of fixtures/ and passes when the check fails
with exactly the problems the tree's file `expected` lists.

Usage: expect_failure.py CHECK FIXTURE_DIR
"""
import os
import subprocess
import sys


def main(check, fixture):
    with open(os.path.join(fixture, "expected"), encoding="utf-8") as f:
        expected = [line for line in f.read().splitlines() if line]
    run = subprocess.run([sys.executable, check, fixture, os.path.join(fixture, "targets.tsv")],
                         capture_output=True, text=True)
    found = run.stdout.splitlines()[:-1]  # the last line counts the targets and problems
    if run.returncode != 1 or found != expected:
        print(f"exit status {run.returncode}, problems:", *found, "expected:", *expected,
              run.stderr, sep="\n")
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
