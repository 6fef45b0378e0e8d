#!/usr/bin/env bash
# Installs what the build needs, builds the library, the demo host and the command-line tool
# (README.md, "Command-line tool"), and runs the demo host.
set -eu
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset gcc >/dev/null
cmake --build --preset gcc --target tvDemo tvtool
./build/gcc/demo/tvDemo
