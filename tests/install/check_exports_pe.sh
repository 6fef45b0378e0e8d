#!/usr/bin/env bash
# Checks the export table of the Windows DLL (objdump -p): no global allocation functions, and
# every export belongs to the Tolvane namespace; the interface's landmarks are there.
#   check_exports_pe.sh <objdump> <tvCore.dll>
set -eu
objdump=$1; dll=$2
exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR > 1 && NF {print $NF}')
[ -n "$exports" ] || { echo "FAIL: no export table in $dll"; exit 1; }
if echo "$exports" | grep -E '^_Z(nw|na|dl|da)'; then
  echo "FAIL: the DLL exports global operator new/delete"; exit 1
fi
foreign=$(echo "$exports" | c++filt | grep -v 'Tolvane::' || true)
if [ -n "$foreign" ]; then
  echo "FAIL: exports outside namespace Tolvane:"; echo "$foreign" | head -40; exit 1
fi
for want in 'Tolvane::GMalloc' 'Tolvane::appEnterCriticalSection()' 'Tolvane::appGetHightSystemTime()' \
            'vtable for Tolvane::FMallocAnsi' 'Tolvane::FExec::Exec(wchar_t*, Tolvane::FString&)'; do
  if ! echo "$exports" | c++filt | grep -q -F -x "$want"; then
    echo "FAIL: missing export: $want"; exit 1
  fi
done
echo "exports of $(basename "$dll"): $(echo "$exports" | wc -l), all in Tolvane"
