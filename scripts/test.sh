#!/bin/bash
# Runs every test: installs what is missing, builds the three presets, runs one
# ctest over the native unit tests, the fuzz smoke run and the tests under Wine,
# those for the x86_64 build and for the i686 one (the program on the disc).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/setup.sh

# The i686 build runs under 32-bit Wine: natively where the kernel executes
# 32-bit code, else under user-mode emulation (qemu-i386 through binfmt_misc,
# tools/winekit/i386_emulation.sh) where that can be set up; where neither
# works its tests show as skipped, never as passed.
# The preload for 32-bit Wine under qemu is built here, not machine-wide.
export DV_I386_SHIM_DIR="$PWD/build/i386-shim"
i386=$(tools/winekit/can_run_i386.sh --mode || true)
emulation=
if [ "$i386" = none ]; then
  emulation=$(tools/winekit/i386_emulation.sh || true)
  i386=$(tools/winekit/can_run_i386.sh --mode || true)
fi
if [ "$i386" != none ]; then
  if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
    echo "installing 32-bit Wine for the i686 build's tests"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
  fi
  half="both builds are tested: x86_64 and i686"
  if [ "$i386" = emulated ]; then
    half="both builds are tested: x86_64 and i686, the i686 build's programs under emulation, as this machine cannot execute 32-bit code itself ($emulation)"
  fi
else
  half="this machine cannot execute 32-bit code: only the x86_64 build is tested; the i686 build's Wine and end-to-end tests are skipped (${emulation:-no emulation})"
fi
echo "$half"
# Every Wine start through the 64-bit loader, with or without 32-bit Wine (see tools/winekit/bin/wine).
export PATH="$PWD/tools/winekit/bin:$PATH"
rc=0
# A test that fails is run once more, and the output shows both runs: Wine
# under load now and then fails to start a program it starts fine a moment
# later. A test that passes only on its second run is named at the end, so a
# flake is always seen. The Wine tests wait on programs more than they
# compute, so more run at once than there are cores (each build's in a lane).
out=build/ctest-output.txt
set +e
ctest --preset all -j "$(( $(nproc) * 2 ))" --repeat until-pass:2 2>&1 | tee "$out"
rc=${PIPESTATUS[0]}
set -e
# ctest shows a passing test's output only in its log: the fuzz runs' figures.
grep -h '^fuzz_[a-z0-9_]*: ' build/win64/Testing/Temporary/LastTest*.log 2>/dev/null || true
# A robot that Wine did not start is started once more by the harness: said here too.
# (grep finds none in a quiet run, which must not end the command.)
restarts=$(cat build/win64/Testing/Temporary/LastTest*.log 2>/dev/null | grep -c 'not started by Wine' || true)
echo "robot starts that Wine missed and the harness repeated: $restarts"
echo "$half"
echo "passed only on retry: $(scripts/retried.py "$out")"
echo "test command took $(( $(date +%s) - start )) s"
exit $rc
