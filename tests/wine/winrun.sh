#!/bin/bash
# Runs a Windows program in a test lane's Wine prefix and display (DV_LANE,
# default x86_64; see wineenv.sh); its exit code passes through.
# usage: winrun.sh BUILD PROGRAM [ARGS...]; DV_LC_ALL sets the system language (LC_ALL).
set -eu
build=$(realpath "$1"); shift
export PATH="$(cd "$(dirname "$0")/../../tools/winekit" && pwd)/bin:$PATH"  # the 64-bit loader (see tools/winekit/bin/wine)
export DV_BUILD=$build  # the test run's build: the robot, the stand-in (either build's tests use them)
dir=$build/lanes/${DV_LANE:-x86_64}
export WINEPREFIX=$dir/prefix WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export DISPLAY=$(cat "$dir/xvfb.display")
# Output goes through a file: Wine's background services inherit the program's
# handles, and a pipe they keep open would make the caller wait for ever.
out=$(mktemp)
rc=0
env LC_ALL="${DV_LC_ALL:-C.UTF-8}" wine "$@" >"$out" 2>&1 </dev/null || rc=$?
cat "$out"
rm -f "$out"
exit $rc
