#!/usr/bin/env bash
# Builds and runs every test: GCC (optimised), Clang with ASan+UBSan, GCC with TSan.
# TVCORE_TEST_PRESETS selects a subset, e.g. TVCORE_TEST_PRESETS=gcc tools/test.sh
set -eu
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
presets=${TVCORE_TEST_PRESETS:-gcc asan tsan}
for preset in $presets; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
