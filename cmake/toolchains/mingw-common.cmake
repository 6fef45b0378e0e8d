# Cross-compiling for Windows with MinGW-w64 (Debian's g++-mingw-w64-*-posix: the posix thread
# model, which has std::thread and std::mutex). Included by mingw-i686.cmake and mingw-x64.cmake
# after they set TVCORE_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TVCORE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVCORE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TVCORE_MINGW_TRIPLET}-windres)

# The dependencies built for MinGW by tools/mingw-deps.sh (minizip, TinyXML, libcurl) live in a
# prefix in the build folder; Debian's MinGW zlib lives in the cross root.
if(NOT DEFINED TVCORE_MINGW_DEPS)
  set(TVCORE_MINGW_DEPS "${CMAKE_BINARY_DIR}/deps" CACHE PATH "Prefix of the dependencies built for MinGW")
endif()
# try_compile projects (the optimisation checks) read this file again in the same process: they
# get the same prefix, so the environment below stays the build's.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TVCORE_MINGW_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${TVCORE_MINGW_TRIPLET} ${TVCORE_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools run under Wine (tools/wine-run.sh starts the prefix and the server).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(_tvcore_tools "${CMAKE_CURRENT_LIST_DIR}/../../tools" ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${_tvcore_tools}/wine-run.sh")
endif()
