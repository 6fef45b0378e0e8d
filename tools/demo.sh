#!/usr/bin/env bash
# Installs what the build needs, builds the library and runs the demo host.
set -eu
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset gcc >/dev/null
cmake --build --preset gcc --target tvDemo
./build/gcc/demo/tvDemo
