#!/bin/bash
# Runs every test: installs what is missing, builds the three presets, runs one ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

packages="cmake clang g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 xvfb xdotool
  googletest libgtest-dev python3 imagemagick x11-apps"
missing=$(for p in $packages; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$missing" ]; then
  echo "installing:" $missing
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq $missing >/dev/null
fi

jobs=$(nproc)
for preset in native win32 win64; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset -j "$jobs"
done

ctest --preset all -j "$jobs"
echo "test command took $(( $(date +%s) - start )) s"
