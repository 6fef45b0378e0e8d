// The types the library's interface is written in, the wide-literal macro and the export macro.
// Portable code uses these names only; the platform's own spellings stay in this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdarg>

#if defined(_WIN32)
#  if defined(TVCORE_BUILDING_LIBRARY)
#    define TVCORE_API __declspec(dllexport)
#  else
#    define TVCORE_API __declspec(dllimport)
#  endif
#  define TVCORE_LOCAL
#else
#  define TVCORE_API __attribute__((visibility("default")))
#  define TVCORE_LOCAL __attribute__((visibility("hidden")))
#endif

// Marks a function whose narrow format follows the C library's printf rules, so compilers
// check the callers' arguments.
#if defined(__GNUC__) || defined(__clang__)
#  define TVCORE_PRINTF_FORMAT(FormatIndex, FirstArgument) __attribute__((format(printf, FormatIndex, FirstArgument)))
#else
#  define TVCORE_PRINTF_FORMAT(FormatIndex, FirstArgument)
#endif

// Wide literal in the library's code-unit type: TVTEXT("abc") is u"abc" on POSIX, L"abc" on Windows.
#if defined(_WIN32)
#  define TVTEXT_(s) L##s
#else
#  define TVTEXT_(s) u##s
#endif
#define TVTEXT(s) TVTEXT_(s)

namespace Tolvane {

#if defined(_WIN32)
typedef wchar_t tvWChar;        // one UTF-16 code unit
typedef unsigned long tvULong;  // 32-bit unsigned, as the Windows ABI's unsigned long
typedef long tvLong;            // 32-bit signed, as the Windows ABI's long
typedef unsigned short tvUShort;
#else
typedef char16_t tvWChar;       // one UTF-16 code unit: text, paths and names are UTF-16 everywhere
typedef std::uint32_t tvULong;  // never the LP64 8-byte unsigned long: stored forms stay 4 bytes
typedef std::int32_t tvLong;
typedef char16_t tvUShort;      // the 16-bit code unit of the conversion functions
#endif

typedef void* tvHandle;         // an opaque system handle, pointer-sized

static_assert(sizeof(tvWChar) == 2, "a wide code unit is two bytes");
static_assert(sizeof(tvULong) == 4 && sizeof(tvLong) == 4, "tvULong and tvLong are 32 bits");

} // namespace Tolvane
