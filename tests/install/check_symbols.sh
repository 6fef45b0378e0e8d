#!/usr/bin/env bash
# Checks the dynamic symbol table of the shared library: no global allocation functions, and
# every strong exported definition belongs to the Tolvane namespace (weak copies of standard
# inline functions that a debug or sanitizer build leaves out of line do not count).
set -eu
lib=$1
defined=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[A-Za-z]$/ {print $3}')
if echo "$defined" | grep -E '^_Z(nw|na|dl|da)' ; then
  echo "FAIL: the library exports global operator new/delete"; exit 1
fi
strong=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TDBRG]$/ {print $3}')
foreign=$(echo "$strong" | c++filt | grep -v 'Tolvane::' | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' || true)
if [ -n "$foreign" ]; then
  echo "FAIL: exported symbols outside namespace Tolvane:"; echo "$foreign"; exit 1
fi
for want in 'Tolvane::GMalloc' 'Tolvane::appEnterCriticalSection()' 'Tolvane::appGetHightSystemTime()' \
            'vtable for Tolvane::FMallocAnsi' 'Tolvane::FExec::Exec(char16_t*, Tolvane::FString&)'; do
  if ! echo "$defined" | c++filt | grep -q -F -x "$want"; then
    echo "FAIL: missing export: $want"; exit 1
  fi
done
echo "exported symbols: $(echo "$defined" | wc -l), all in Tolvane"
