# The project's warnings. They are errors only when TVCORE_WARNINGS_AS_ERRORS is on, as the
# presets and CI set it: someone who only builds the library with another compiler version
# should not be stopped by a warning it adds.
option(TVCORE_WARNINGS_AS_ERRORS "Treat the project's warnings as errors" OFF)

function(tvcore_set_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic
      -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual
      -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
    if(TVCORE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  elseif(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${TVCORE_WARNINGS_AS_ERRORS}>:/WX>)
  endif()
endfunction()
