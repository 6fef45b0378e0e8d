#!/usr/bin/env bash
# Checks the direction of calls by the includes of the library's sources and public headers:
#   base/      fixed types and base/ only
#   platform/  fixed types, base/ and platform/ (the seam never reaches the layers above it)
#   core/      the above and core/ (no math, no subsystem)
# and that every library source includes the private prelude before anything else.
set -u
root=${1:-$(dirname "$0")/../..}
cd "$root" || exit 2
fail=0
report() { echo "FAIL: $1"; fail=1; }

# check FOLDER ALLOWED-REGEX: every quoted include in FOLDER must match the regex.
check() {
  local folder=$1 allowed=$2
  [ -d "$folder" ] || return 0
  while IFS= read -r hit; do
    file=${hit%%:*}; rest=${hit#*:}; line=${rest%%:*}; inc=$(echo "$hit" | sed -E 's/.*#include[[:space:]]*"([^"]+)".*/\1/')
    if ! echo "$inc" | grep -q -E "$allowed"; then
      report "$file:$line includes \"$inc\", above its layer"
    fi
  done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder" --include='*.h' --include='*.cpp')
}

types='^tvCore/core/tvTypes\.h$'
check src/base "$types|^base/"
check src/platform "$types|^base/|^platform/"
check src/core "$types|^base/|^platform/|^core/|^tvCore/core/"
check include/tvCore/core "^tvCore/core/"

# The prelude comes first in every library source.
while IFS= read -r file; do
  first=$(grep -m1 -E '^[[:space:]]*#[[:space:]]*include' "$file")
  if ! echo "$first" | grep -q '"base/tvPrelude.h"'; then
    report "$file does not include \"base/tvPrelude.h\" first"
  fi
done < <(find src -name '*.cpp')

# Only the win32 layer knows Windows: its SDK headers and the platform test stay inside
# src/platform/win32/, apart from the spelling differences of the three headers made for them.
while IFS= read -r hit; do
  report "$hit: Windows outside src/platform/win32/"
done < <(grep -rn -E '_WIN32|_WIN64|<windows\.h>|<winbase\.h>' src include --include='*.h' --include='*.cpp' |
         grep -v -E '^(src/platform/win32/|src/base/tvPrelude\.h:|src/base/tvCompiler\.h:|include/tvCore/core/tvTypes\.h:)')
# And no POSIX header reaches the win32 layer (no stand-in is compiled into the Windows build).
while IFS= read -r hit; do
  report "$hit: a POSIX header in the win32 layer"
done < <(grep -rn -E '#[[:space:]]*include[[:space:]]*<(unistd|pthread|fcntl|dirent|iconv|spawn|sys/[a-z]+)\.h>' src/platform/win32 2>/dev/null)

if [ "$fail" = 0 ]; then
  echo "include direction: base < platform < core holds in $(find src include -name '*.h' -o -name '*.cpp' | wc -l) files"
fi
exit $fail
