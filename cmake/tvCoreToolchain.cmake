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
  if(WIN32)
    # tvCore.dll with its import library libtvCore.dll.a; the exported interface is every
    # TVCORE_API declaration (__declspec(dllexport)). The system libraries of the win32 layer:
    # the multimedia timer (winmm).
    set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")
    target_link_libraries(${target} PRIVATE winmm)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
    if(TVCORE_BUILD_TESTS)
      # A build with tests also exports the internals the white-box tests call (TVCORE_INTERNAL
      # and the groups between TVCORE_INTERNAL_BEGIN/END): PE has no visibility to mark them
      # with, so the test build exports every symbol of the library's own objects; the shipped
      # build exports the interface alone. The library's global operator new/delete are never
      # exported, so no program binds its allocations to the library's.
      set(_tvcore_allocation_symbols)
      foreach(size j y)
        list(APPEND _tvcore_allocation_symbols _Znw${size} _Zna${size} _Znw${size}RKSt9nothrow_t _Zna${size}RKSt9nothrow_t
             _ZdlPv${size} _ZdaPv${size})
      endforeach()
      list(APPEND _tvcore_allocation_symbols _ZdlPv _ZdaPv _ZdlPvRKSt9nothrow_t _ZdaPvRKSt9nothrow_t)
      target_link_options(${target} PRIVATE -Wl,--export-all-symbols -Wl,--exclude-libs=ALL)
      foreach(symbol ${_tvcore_allocation_symbols})
        target_link_options(${target} PRIVATE -Wl,--exclude-symbols=${symbol})
      endforeach()
    endif()
  endif()
endfunction()

# tvcore_copy_runtime(): on Windows, the DLLs a program of the build needs beside it in bin/:
# the MinGW runtime (libstdc++, libgcc, winpthread stay dynamic) and the dependencies' DLLs.
function(tvcore_copy_runtime)
  if(NOT WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  set(_dlls)
  foreach(name libstdc++-6.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${_path}" AND EXISTS "${_path}")
      list(APPEND _dlls "${_path}")
    endif()
  endforeach()
  # winpthread lives in the cross root rather than the compiler's folder on Debian.
  file(GLOB _more /usr/${TVCORE_MINGW_TRIPLET}/lib/libwinpthread-1.dll ${TVCORE_MINGW_DEPS}/bin/*.dll)
  list(APPEND _dlls ${_more})
  list(REMOVE_DUPLICATES _dlls)
  file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  foreach(dll ${_dlls})
    file(COPY ${dll} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endforeach()
endfunction()
