#!/bin/bash
# Runs every test: installs what is missing, builds the three presets, runs one
# ctest over the native unit tests, the fuzz smoke run and the tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/setup.sh
ctest --preset all -j "$(nproc)"
echo "test command took $(( $(date +%s) - start )) s"
