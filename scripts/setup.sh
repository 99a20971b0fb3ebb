#!/bin/bash
# Installs what the build, the tests and the demo need (apt-get, only what is
# missing), then builds the native, win32 and win64 presets. The fonts: the
# dialogs' Korean, Chinese and Japanese (fonts-wqy-microhei) and Thai
# (fonts-tlwg-loma-ttf) letters under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

packages="cmake clang g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 xvfb xdotool
  googletest libgtest-dev python3 clang-tidy cppcheck imagemagick x11-utils fonts-wqy-microhei
  fonts-tlwg-loma-ttf osslsigncode openssl xorriso chromium"
missing=$(for p in $packages; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$missing" ]; then
  echo "installing:" $missing
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq $missing >/dev/null
fi

jobs=$(nproc)
# native first: the win64 build lays out the sample disc with the native mkloc.
for preset in native win32 win64; do
  echo "== building $preset"
  mkdir -p build
  log=build/$preset-build.log
  if ! { cmake --preset $preset && cmake --build --preset $preset -j "$jobs"; } >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "build of $preset failed (whole output in $log)"
    exit 1
  fi
done
