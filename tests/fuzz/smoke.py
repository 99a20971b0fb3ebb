"""A short run of one libFuzzer target for the test run.

usage: smoke.py NAME CORPUS FUZZER [ARGS...]

Makes the corpus folder CORPUS (new inputs go there; the committed seeds are
only read), runs FUZZER CORPUS ARGS with -print_final_stats=1, passes its
output through and ends with one line:

  NAME: N executions in T s (R/s)

ctest keeps a passing test's output only in its log
(Testing/Temporary/LastTest.log), so the test command can show these lines
from there. A run that ends without the final statistics, or executed
nothing, fails: it tested nothing.
"""

import os
import re
import subprocess
import sys
import time


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    name, corpus, command = argv[1], argv[2], argv[3:]
    os.makedirs(corpus, exist_ok=True)
    start = time.monotonic()
    proc = subprocess.Popen(command[:1] + ["-print_final_stats=1", corpus] + command[1:],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    executed = None
    for raw in proc.stdout:
        sys.stdout.buffer.write(raw)
        m = re.match(rb"stat::number_of_executed_units:\s*(\d+)", raw)
        if m:
            executed = int(m.group(1))
    rc = proc.wait()
    seconds = time.monotonic() - start
    sys.stdout.flush()
    if rc != 0:
        print("%s: failed (exit code %d) after %.0f s" % (name, rc, seconds))
        return rc if rc > 0 else 1
    if not executed:
        print("%s: no executions reported in %.0f s" % (name, seconds))
        return 1
    print("%s: %d executions in %.0f s (%.0f/s)" % (name, executed, seconds, executed / seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
