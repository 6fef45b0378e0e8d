#!/usr/bin/env bash
# Checks the export table of the Windows DLL (objdump -p): every export points into the image,
# no global allocation functions are exported, the interface's landmarks are there, and (for a
# shipped DLL) every export belongs to the Tolvane namespace.
#   check_exports_pe.sh <objdump> <tvCore.dll>
set -eu
objdump=$1; dll=$2
exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR > 1 && NF {print $NF}')
[ -n "$exports" ] || { echo "FAIL: no export table in $dll"; exit 1; }
# Every export must point into the image: a symbol the optimiser left without a definition is
# exported at address 0, and the loader then cannot resolve it.
size=$("$objdump" -p "$dll" | awk '$1 == "SizeOfImage" {print $2}')
outside=0
for rva in $("$objdump" -p "$dll" | awk '/Export RVA/ {print $(NF-2)}'); do
  [ $((16#$rva)) -lt $((16#$size)) ] || outside=$((outside + 1))
done
if [ "$outside" != 0 ]; then
  echo "FAIL: $outside exports point outside the DLL's image"; exit 1
fi
if echo "$exports" | grep -E '^_Z(nw|na|dl|da)'; then
  echo "FAIL: the DLL exports global operator new/delete"; exit 1
fi
# A shipped DLL exports the Tolvane interface alone; the DLL of a build with tests exports every
# symbol of its own objects (inline copies of standard functions too), so only a shipped one is
# held to the namespace (TVCORE_CHECK_INTERFACE_ONLY=1).
if [ "${TVCORE_CHECK_INTERFACE_ONLY:-0}" = 1 ]; then
  foreign=$(echo "$exports" | c++filt | grep -v 'Tolvane::' || true)
  if [ -n "$foreign" ]; then
    echo "FAIL: exports outside namespace Tolvane:"; echo "$foreign" | head -40; exit 1
  fi
fi
for want in 'Tolvane::GMalloc' 'Tolvane::appEnterCriticalSection()' 'Tolvane::appGetHightSystemTime()' \
            'vtable for Tolvane::FMallocAnsi' 'Tolvane::FExec::Exec(wchar_t*, Tolvane::FString&)'; do
  if ! echo "$exports" | c++filt | grep -q -F -x "$want"; then
    echo "FAIL: missing export: $want"; exit 1
  fi
done
echo "exports of $(basename "$dll"): $(echo "$exports" | wc -l), all in Tolvane"
