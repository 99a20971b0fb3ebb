#!/usr/bin/env python3
"""Names the tests of a ctest run (its output, from --repeat until-pass) that
passed only after a failed run: "NAME, NAME", or "none".

ctest prints one result line per run of a test, "[N/M ]Test #K: NAME ....
Passed|***Failed|***Timeout|...", the failed runs first."""
import re
import sys

RESULT = re.compile(r"^\s*(?:\d+/\d+\s+)?Test\s+#\d+:\s+(\S+)\s+\.*\s*(.*?)\s+[\d.]+\s+sec\s*$")


def retried(lines):
    # until-pass stops at the first pass, so a test with a failed run and a
    # passed one passed on a retry (with -j the lines may come in either order).
    failed, passed = set(), []
    for line in lines:
        m = RESULT.match(line)
        if not m:
            continue
        name, status = m.group(1), m.group(2)
        if status.startswith("Passed"):
            if name not in passed:
                passed.append(name)
        else:  # failed, timed out; a skipped test never passes, so it is never named
            failed.add(name)
    return [name for name in passed if name in failed]


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8", errors="replace") as f:
        names = retried(f)
    print(", ".join(names) or "none")
