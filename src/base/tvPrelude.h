// Prelude seen first by every library source.
//
// Library text is UTF-16 in tvWChar; the C library's wide functions work on the 4-byte wchar_t
// of POSIX and must never touch it. The standard headers that declare them are pulled in here,
// before the poison, so their own declarations stay valid while any use in library code fails
// to compile.
#pragma once

#include <cwchar>
#include <cwctype>
#include <cstdlib>
#include <stdlib.h>  // its C++ wrapper re-declares mbstowcs & co. (third-party headers include it)
#include <cstdio>
#include <cstring>
#include <cmath>
#include <new>
#include <atomic>
#include <string>
#include <memory>
#include <algorithm>
#include <utility>
#include <type_traits>
#include <limits>
// The C forms too: third-party headers (zlib, minizip) include them, and their using-declarations
// of the poisoned names must be seen before the poison.
#include <stdlib.h>

#if !defined(_WIN32)
#pragma GCC poison wcslen wcsnlen wcscpy wcsncpy wcscat wcsncat wcscmp wcsncmp wcscasecmp \
    wcsncasecmp wcschr wcsrchr wcsstr wcstok wcsdup wcsspn wcscspn wcspbrk wcscoll wcsxfrm \
    wcstol wcstoul wcstoll wcstoull wcstod wcstof wcstold \
    swprintf vswprintf wprintf vwprintf fwprintf vfwprintf swscanf wscanf fwscanf \
    towupper towlower iswspace iswalpha iswdigit iswalnum iswupper iswlower iswpunct \
    wmemcpy wmemmove wmemset wmemcmp wmemchr mbstowcs wcstombs mbtowc wctomb
#endif

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"
