// Compiler-specific spellings the portable code needs, in one place.
#pragma once

// Internals that white-box tests call. The shipped library hides them with the rest of its
// internals; a build with tests compiles the library with TVCORE_EXPOSE_INTERNALS so the one
// shared library the tests load is the one that holds them, never a second copy.
// TVCORE_INTERNAL marks one declaration; TVCORE_INTERNAL_BEGIN ... TVCORE_INTERNAL_END marks
// every declaration between them (both compilers ignore visibility written on a namespace).
// PE files have no symbol visibility: there the markers are empty, and a build with tests links
// the DLL with every symbol of its own objects exported (cmake/tvCoreToolchain.cmake), while a
// shipped DLL exports the TVCORE_API interface alone.
#if defined(TVCORE_EXPOSE_INTERNALS) && !defined(_WIN32)
#  define TVCORE_INTERNAL __attribute__((visibility("default")))
#  define TVCORE_INTERNAL_BEGIN _Pragma("GCC visibility push(default)")
#  define TVCORE_INTERNAL_END _Pragma("GCC visibility pop")
#else
#  define TVCORE_INTERNAL
#  define TVCORE_INTERNAL_BEGIN
#  define TVCORE_INTERNAL_END
#endif

// Construction order of the library's few statics that others use during their own
// construction: lower numbers first (GCC and Clang count from 101). Compilers without the
// attribute construct them in the order of the files, which the build keeps.
#if defined(__GNUC__) || defined(__clang__)
#  define TVCORE_INIT_PRIORITY(Priority) __attribute__((init_priority(Priority)))
#else
#  define TVCORE_INIT_PRIORITY(Priority)
#endif

// Leading zero bits of a non-zero 32-bit value.
#if defined(__GNUC__) || defined(__clang__)
#  define TVCORE_COUNT_LEADING_ZEROS_32(Value) static_cast<unsigned>(__builtin_clz(static_cast<unsigned>(Value)))
#else
#  include <intrin.h>
namespace Tolvane { namespace Bits {
inline unsigned CountLeadingZeros32(unsigned long Value)
{
    unsigned long Index;
    _BitScanReverse(&Index, Value);
    return 31u - static_cast<unsigned>(Index);
}
}} // namespace Tolvane::Bits
#  define TVCORE_COUNT_LEADING_ZEROS_32(Value) ::Tolvane::Bits::CountLeadingZeros32(Value)
#endif

// Relaxed atomic access to a plain field that a published layout fixes (the allocator's
// statistics): no data race, no locked instruction.
namespace Tolvane {
template <class T>
inline T RelaxedLoad(const T& Field)
{
#if defined(__GNUC__) || defined(__clang__)
    T Value;
    __atomic_load(&Field, &Value, __ATOMIC_RELAXED);
    return Value;
#else
    return *static_cast<const volatile T*>(&Field);
#endif
}
template <class T>
inline void RelaxedStore(T& Field, T Value)
{
#if defined(__GNUC__) || defined(__clang__)
    __atomic_store(&Field, &Value, __ATOMIC_RELAXED);
#else
    *static_cast<volatile T*>(&Field) = Value;
#endif
}
} // namespace Tolvane

// The interlocked decrement of a reference count held in a plain 32-bit field; returns the new
// value.
namespace Tolvane {
template <class T>
inline T InterlockedDecrement(T& Field)
{
#if defined(__GNUC__) || defined(__clang__)
    return __atomic_sub_fetch(&Field, T(1), __ATOMIC_ACQ_REL);
#else
    return static_cast<T>(_InterlockedDecrement(reinterpret_cast<volatile long*>(&Field)));
#endif
}
} // namespace Tolvane

// Carry-less multiplication (x86 PCLMULQDQ with SSE4.1) for checksums. Where
// TVCORE_HAS_CLMUL_TARGET is 1, a function marked TVCORE_TARGET_CLMUL may use those instructions
// and is called only when TVCORE_CPU_HAS_CLMUL() answers true at run time; elsewhere the
// portable code is used.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#  define TVCORE_HAS_CLMUL_TARGET 1
#  define TVCORE_TARGET_CLMUL __attribute__((target("pclmul,sse4.1")))
#  define TVCORE_CPU_HAS_CLMUL() (__builtin_cpu_init(), __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"))
#else
#  define TVCORE_HAS_CLMUL_TARGET 0
#endif
