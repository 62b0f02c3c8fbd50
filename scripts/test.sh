#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.  Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure -j2 "$@"
# The fuzz targets, a few seconds each, when clang is installed.
if [ "${MORVANEL_SKIP_FUZZ:-0}" != 1 ]; then
  scripts/fuzz.sh 3
fi
