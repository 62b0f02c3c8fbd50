#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each of them
# for SECONDS (default 3), one after another.  Without clang it does nothing.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-3}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ is not installed; the fuzz runs are skipped"
  exit 0
fi
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DMORVANEL_BUILD_FUZZ=ON -DMORVANEL_BUILD_TESTS=OFF -DMORVANEL_BUILD_UI=OFF \
  -DMORVANEL_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build build-fuzz --target fuzz_pack fuzz_restore fuzz_profile fuzz_bmp fuzz_action fuzz_style
ctest --test-dir build-fuzz/fuzz --output-on-failure
