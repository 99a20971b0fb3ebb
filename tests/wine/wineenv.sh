#!/bin/bash
# Starts (or stops) one lane of the Windows-side tests: an Xvfb display and a
# Wine prefix of its own under BUILD/lanes/LANE (never ~/.wine), with its
# wineserver kept up. Each build's tests run in a lane of their own, so the
# lanes run side by side.
# usage: wineenv.sh start|stop BUILD LANE
set -eu
cmd=$1 build=$(realpath "$2") lane=${3:-x86_64}
here=$(cd "$(dirname "$0")" && pwd)
kit=$here/../../tools/winekit
export PATH="$kit/bin:$PATH"  # the 64-bit loader (see tools/winekit/bin/wine)
dir=$build/lanes/$lane
export WINEPREFIX=$dir/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$dir"

stop() {
  if [ -f "$dir/xvfb.display" ]; then
    DISPLAY=$(cat "$dir/xvfb.display") wineserver -k >/dev/null 2>&1 || true
  fi
  wineserver -k 2>/dev/null || true
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid" "$dir/xvfb.display"
  fi
}

start() {
  stop
  # -displayfd: Xvfb picks a free display and writes its number and a newline.
  # The descriptor is a file, not a pipe, so Xvfb never meets a closed reader;
  # the number is complete once the newline is there.
  rm -f "$dir/xvfb.display.tmp"
  : >"$dir/xvfb.display.tmp"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>>"$dir/xvfb.display.tmp" >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  number=
  for _ in $(seq 200); do
    if grep -q '^[0-9][0-9]*$' "$dir/xvfb.display.tmp" 2>/dev/null && [ "$(tail -c1 "$dir/xvfb.display.tmp" | od -An -c | tr -d ' ')" = '\n' ]; then
      number=$(tr -dc '0-9' <"$dir/xvfb.display.tmp")
      break
    fi
    kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
    sleep 0.05
  done
  if [ -z "$number" ]; then
    echo "Xvfb did not start:"; cat "$dir/xvfb.log"; exit 1
  fi
  echo ":$number" >"$dir/xvfb.display"
  export DISPLAY=":$number"
  # Where 32-bit programs can run the prefix must be a WoW64 one, made with
  # 32-bit Wine present: one made before it was installed is made afresh.
  wow64=
  if [ -x /usr/lib/wine/wine ] && "$kit/can_run_i386.sh"; then wow64=yes; fi
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
  [ -d "$WINEPREFIX/drive_c/windows/system32" ] || { echo "Wine prefix was not created"; exit 1; }
  # The dialogs are shown in Thai, Korean, Chinese and Japanese too: each
  # script needs its font (the reason is in dvwine.prepare_fonts).
  DV_BUILD=$build DV_LANE=$lane python3 "$kit/dvwine.py" prepare-fonts
  wineserver -p >/dev/null 2>&1 </dev/null || true  # stay up between tests: each program then starts in well under a second
  # No window manager runs on this display (see dvwine.set_window_manager).
  DV_BUILD=$build DV_LANE=$lane python3 "$kit/dvwine.py" no-window-manager
  # The desktop process starts with the first window; under load its first
  # start can time out, so open one window now, retrying, before any test does.
  if [ -f "$build/warmup.exe" ]; then
    for _ in 1 2 3; do
      wine "$build/warmup.exe" >/dev/null 2>&1 </dev/null && break
      sleep 1
    done
  fi
  echo "Wine prefix ready ($lane), DISPLAY=$DISPLAY"
}

case $cmd in
  start) start ;;
  stop) stop ;;
  *) echo "usage: wineenv.sh start|stop BUILD LANE"; exit 2 ;;
esac
