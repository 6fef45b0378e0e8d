#!/usr/bin/env bash
# Installs the Windows build into a temporary prefix and builds an outside consumer against the
# installed headers and import library with the cross compiler, then runs it under Wine beside
# the installed DLL and the DLLs it needs.
#   check_install_pe.sh <build folder> <tests/install> <cross C++ compiler> <wine-run.sh>
set -eu
build=$1; here=$2; cxx=$3; run=$4
prefix=$(mktemp -d); trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
# The runtime and dependency DLLs of the build's bin/ folder go beside the consumer.
mkdir -p "$prefix/run"
cp "$build"/bin/*.dll "$prefix/run/"
cp "$prefix"/bin/tvCore.dll "$prefix/run/"
"$cxx" -std=c++17 -o "$prefix/run/consumer.exe" "$here/consumer.cpp" -I"$prefix/include" -L"$prefix/lib" -ltvCore
TVCORE_WINEPREFIX="$build/wine-prefix" "$run" "$prefix/run/consumer.exe"
echo "installed package: a Windows consumer built against the import library and ran"
