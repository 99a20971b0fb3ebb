#!/bin/bash
# Starts (or stops) what the Windows-side tests share: an Xvfb display and a
# Wine prefix under the build folder (never ~/.wine), with its wineserver kept up.
set -eu
cmd=$1 build=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
export PATH="$here/bin:$PATH"  # the 64-bit loader (see bin/wine)
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
state=$build/wine-state
mkdir -p "$state"

stop() {
  if [ -f "$state/xvfb.display" ]; then
    DISPLAY=$(cat "$state/xvfb.display") wineserver -k >/dev/null 2>&1 || true
  fi
  wineserver -k 2>/dev/null || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/xvfb.display"
  fi
}

start() {
  stop
  # -displayfd: Xvfb picks a free display and tells us its number. The file is
  # removed first: the redirection below runs in the background, so a stale
  # one could otherwise be read before it is truncated.
  rm -f "$state/xvfb.display.tmp"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/xvfb.display.tmp" >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  number=
  for _ in $(seq 100); do
    number=$(tr -dc '0-9' <"$state/xvfb.display.tmp" 2>/dev/null || true)
    [ -n "$number" ] && break
    sleep 0.1
  done
  [ -n "$number" ] || { echo "Xvfb did not start"; exit 1; }
  echo ":$number" >"$state/xvfb.display"
  export DISPLAY=$(cat "$state/xvfb.display")
  # Where 32-bit programs can run the prefix must be a WoW64 one, made with
  # 32-bit Wine present: one made before it was installed is made afresh.
  wow64=
  if [ -x /usr/lib/wine/wine ] && "$here/can_run_i386.sh"; then wow64=yes; fi
  if [ -n "$wow64" ] && [ -d "$WINEPREFIX" ] && [ ! -f "$WINEPREFIX/.dv-wow64" ]; then
    echo "making the Wine prefix afresh for 32-bit programs"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null || true
    if [ -n "$wow64" ]; then touch "$WINEPREFIX/.dv-wow64"; fi
  fi
  wineserver -p >/dev/null 2>&1 </dev/null || true  # stay up between tests: each program then starts in well under a second
  wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
  # The desktop process starts with the first window; under load its first
  # start can time out, so open one window now, retrying, before any test does.
  if [ -f "$build/warmup.exe" ]; then
    for _ in 1 2 3; do
      wine "$build/warmup.exe" >/dev/null 2>&1 </dev/null && break
      sleep 1
    done
  fi
  [ -d "$WINEPREFIX/drive_c/windows/system32" ] || { echo "Wine prefix was not created"; exit 1; }
  echo "Wine prefix ready, DISPLAY=$DISPLAY"
}

case $cmd in
  start) start ;;
  stop) stop ;;
  *) echo "usage: wineenv.sh start|stop BUILD"; exit 2 ;;
esac
