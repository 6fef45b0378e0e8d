// Compiler-specific spellings the portable code needs, in one place.
#pragma once

// Internal functions that white-box tests call. The shipped library hides them with the rest of
// its internals; a build with tests compiles the library with TVCORE_EXPOSE_INTERNALS so the one
// shared library the tests load is the one that holds them, never a second copy.
#if defined(TVCORE_EXPOSE_INTERNALS) && !defined(_WIN32)
#  define TVCORE_INTERNAL __attribute__((visibility("default")))
#else
#  define TVCORE_INTERNAL
#endif
