#!/bin/bash
# The demo: builds what it needs, then runs DOCVIEW.EXE from the sample disc
# mapped as CD-ROM drive D: in a Wine prefix of its own (build/demo/prefix).
# With a display you drive it; without one it runs under Xvfb and reports.
# The language follows LC_ALL (else LANG), e.g. LC_ALL=fr_FR.UTF-8 scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec python3 scripts/demo.py
