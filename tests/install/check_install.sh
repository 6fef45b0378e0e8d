#!/usr/bin/env bash
# Installs the built library into a temporary prefix and builds two outside consumers against
# it: one through pkg-config, one through find_package(tvCore).
set -eu
build=$1; here=$2; cxx=$3
prefix=$(mktemp -d); trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig:$prefix/lib/x86_64-linux-gnu/pkgconfig"
# shellcheck disable=SC2046
"$cxx" -o "$prefix/consumer" "$here/consumer.cpp" $(pkg-config --cflags --libs tvCore)
"$prefix/consumer"
mkdir -p "$prefix/cmake-consumer"
cmake -S "$here/cmake-consumer" -B "$prefix/cmake-consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$prefix/cmake-consumer" >/dev/null
"$prefix/cmake-consumer/consumer"
echo "installed package: pkg-config and find_package consumers built and ran"
