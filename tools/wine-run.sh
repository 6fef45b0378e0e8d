#!/usr/bin/env bash
# Runs a Windows program of a MinGW build under Wine: the cross-compiling emulator of the
# mingw presets (ctest, GoogleTest discovery) and the way to run one by hand:
#   tools/wine-run.sh build/mingw-i686/bin/tvCoreTests.exe --gtest_filter='Strings*'
#
# The Wine prefix lives in the build folder beside bin/ (TVCORE_WINEPREFIX overrides it): made
# once with `wineboot -i` for the program's architecture (win32 for 32-bit programs), then kept
# warm by a persistent wineserver, without which every program start costs seconds.
set -eu
program=${1:?program}
bindir=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX=${TVCORE_WINEPREFIX:-$(dirname "$bindir")/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all,err+module}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# 32-bit programs get a 32-bit prefix.
if objdump -f "$program" 2>/dev/null | grep -q 'file format pei-i386'; then
  export WINEARCH=win32
else
  export WINEARCH=win64
fi
# The MinGW runtime DLLs and the dependencies' DLLs are copied into bin/ by the build; the
# program's own folder is searched first.
export WINEPATH="$bindir"
# Display-less: no dialogs reach a person here.
unset DISPLAY WAYLAND_DISPLAY
(
  flock 9
  if [ ! -f "$WINEPREFIX/.tvcore-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i 9>&- >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.tvcore-ready"
  fi
  # A persistent server for this prefix (a second start finds it running and leaves).
  wineserver -p"${TVCORE_WINESERVER_SECONDS:-120}" 9>&- 2>/dev/null || true
) 9>"${WINEPREFIX%/}.lock"
exec wine "$@"
