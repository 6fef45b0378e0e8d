# Compiler- and platform-dependent settings of the library target, in one place, so that the
# rest of the build states only what the library is.

# tvcore_configure_library(target): flags the library itself needs on this compiler and
# object format.
function(tvcore_configure_library target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # Hidden by default: only TVCORE_API names are the interface.
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # A new-expression must yield null, not construct on null, when GMalloc refuses memory.
    # (Clang lacks the flag; the class-scope operators of FFundament cover it there.)
    target_compile_options(${target} PRIVATE -fcheck-new)
  endif()
  if(NOT WIN32 AND NOT APPLE)
    # ELF: the library's own operator new/delete stay inside it. The version script makes them
    # local, so they neither appear in the dynamic symbol table nor interpose on the host.
    target_link_options(${target} PRIVATE -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/tvCore.map)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/tvCore.map)
    # Every symbol the library needs resolves at link time (a sanitizer's runtime is the
    # exception: it is linked into the executable).
    if(TVCORE_SANITIZE STREQUAL "")
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
  endif()
endfunction()
