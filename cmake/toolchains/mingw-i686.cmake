# 32-bit Windows (the library's first target) with MinGW-w64, posix thread model.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TVCORE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
