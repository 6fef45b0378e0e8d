#!/usr/bin/env bash
# Builds and runs every test: GCC (optimised), Clang with ASan+UBSan, GCC with TSan, a compile of
# the portable sources for Windows (MinGW-w64), then a short run of every libFuzzer target on its
# seed corpus. TVCORE_TEST_PRESETS=mingw-i686 builds the 32-bit Windows DLL with its dependencies
# and tests and runs the tests under Wine (not yet a default step: see docs/decisions/windows.md).
# TVCORE_TEST_PRESETS selects a subset, e.g. TVCORE_TEST_PRESETS=gcc tools/test.sh;
# TVCORE_FUZZ_SECONDS sets each fuzz target's run (default 15).
set -eu
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
presets=${TVCORE_TEST_PRESETS:-gcc asan tsan windows fuzz}
for preset in $presets; do
  echo "=== $preset ==="
  if [ "$preset" = windows ]; then
    # The quick check alone: the portable sources compile for 32-bit Windows.
    bash tools/check-windows-compile.sh
    continue
  fi
  if [ "$preset" = mingw-i686 ]; then
    # Dependencies (built once, then cached), the DLL and the tests, run under Wine.
    start=$(date +%s)
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j2
    echo "mingw-i686: $(( $(date +%s) - start )) s for dependencies, build and the Wine run"
    continue
  fi
  if [ "$preset" = fuzz ]; then
    mkdir -p build
    status=0
    bash tools/fuzz.sh all "${TVCORE_FUZZ_SECONDS:-15}" > build/fuzz.log 2>&1 || status=$?
    grep -E '^(===|Done|stat::average_exec|==[0-9]+==ERROR|SUMMARY)' build/fuzz.log || true
    [ "$status" = 0 ] || { tail -n 60 build/fuzz.log; echo "fuzzing failed (see build/fuzz.log)"; exit 1; }
    continue
  fi
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
