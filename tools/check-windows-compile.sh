#!/usr/bin/env bash
# Compiles the portable folders of the library (base, core, math) for 32-bit Windows with
# MinGW-w64, syntax and semantics only: the portable code must build where tvWChar is wchar_t
# and long is 32 bits. The Windows platform layer and the full cross build extend this later.
#   tools/check-windows-compile.sh          (installs g++-mingw-w64-i686-posix when missing)
set -eu
cd "$(dirname "$0")/.."
cxx=i686-w64-mingw32-g++-posix
if ! command -v "$cxx" >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends g++-mingw-w64-i686-posix >/dev/null
fi
folders=${TVCORE_WINDOWS_FOLDERS:-src/base src/core src/math}
files=$(find $folders -name '*.cpp' | sort)
count=0; failed=0
jobs=${TVCORE_JOBS:-2}
export cxx
# -fsyntax-only still instantiates templates and checks every conversion.
printf '%s\n' $files | xargs -P "$jobs" -I{} sh -c \
  '"$cxx" -std=c++17 -fsyntax-only -Wall -Wextra -Werror -Iinclude -Isrc -DTVCORE_BUILDING_LIBRARY=1 "{}" || { echo "FAILED: {}"; exit 255; }' \
  || failed=1
count=$(printf '%s\n' $files | wc -l)
if [ "$failed" = 0 ]; then
  echo "windows compile: $count portable sources compile for i686-w64-mingw32"
else
  echo "windows compile: failures above"; exit 1
fi
