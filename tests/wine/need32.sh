#!/bin/sh
# Runs the command given (a test of the i686 build) when this machine can
# execute 32-bit code; else ends with 77, which ctest shows as skipped.
here=$(dirname "$0")
if ! "$here/../../tools/winekit/can_run_i386.sh"; then
  echo "skipped: this machine cannot execute 32-bit code, so the i686 build is not run"
  exit 77
fi
if [ ! -x /usr/lib/wine/wine ]; then
  echo "32-bit Wine (wine32:i386) is missing: scripts/test.sh installs it"
  exit 1
fi
exec "$@"
