#!/bin/bash
# The start-up benchmark: builds what it needs (scripts/setup.sh), then times
# both builds of DOCVIEW.EXE from the sample disc against BASELINE.EXE under
# Wine. Arguments go to bench/startup.py (--runs N, --poll).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec python3 bench/startup.py "$@"
