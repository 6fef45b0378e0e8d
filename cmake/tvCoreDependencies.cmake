# Third-party libraries the library links against (Debian packages, found through pkg-config).
# Each subsystem adds its own dependency here when it arrives.
find_package(PkgConfig REQUIRED)

# Windows (MinGW): minizip, TinyXML and libcurl are built from Debian's source packages into a
# prefix in the build folder (tools/mingw-deps.sh, cached outside the build folder too); the
# toolchain file points pkg-config at that prefix and at the cross root's zlib.
if(WIN32 AND CMAKE_CROSSCOMPILING AND DEFINED TVCORE_MINGW_TRIPLET)
  execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/tools/mingw-deps.sh ${TVCORE_MINGW_TRIPLET} ${TVCORE_MINGW_DEPS}
                  RESULT_VARIABLE _tvcore_deps_result)
  if(NOT _tvcore_deps_result EQUAL 0)
    message(FATAL_ERROR "tools/mingw-deps.sh failed: the dependencies for ${TVCORE_MINGW_TRIPLET} are missing")
  endif()
  # pkg-config looks only at that prefix and the cross root, never at the build machine's own
  # .pc files.
  set(ENV{PKG_CONFIG_LIBDIR} "${TVCORE_MINGW_DEPS}/lib/pkgconfig:/usr/${TVCORE_MINGW_TRIPLET}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# Zip packages: zlib and its minizip companion (Debian libminizip-dev, zlib1g-dev). Linked
# privately; no minizip type reaches a public header.
pkg_check_modules(TVCORE_MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(TVCORE_ZLIB REQUIRED IMPORTED_TARGET zlib)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  # Debian's MinGW zlib ships no DLL: the static archive is linked into tvCore.dll.
  find_library(TVCORE_ZLIB_STATIC NAMES libz.a REQUIRED)
  set_property(TARGET PkgConfig::TVCORE_MINIZIP APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${TVCORE_ZLIB_STATIC})
  target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_MINIZIP)
  target_include_directories(tvCore PRIVATE ${TVCORE_ZLIB_INCLUDE_DIRS})
else()
  target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_MINIZIP PkgConfig::TVCORE_ZLIB)
endif()
# What the installed package names for its consumers (the .pc file and the CMake config).
set(TVCORE_PC_REQUIRES_PRIVATE "minizip zlib")
# TinyXML 2.6.2 (Debian libtinyxml-dev): the XML documents of src/config. Debian builds it with
# TIXML_USE_STL, which changes its classes' layout, so every source that includes its header
# must define it too. Linked privately: no public header includes it.
pkg_check_modules(TVCORE_TINYXML REQUIRED IMPORTED_TARGET tinyxml)
target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_TINYXML)
target_compile_definitions(tvCore PRIVATE TIXML_USE_STL)
string(APPEND TVCORE_PC_REQUIRES_PRIVATE " tinyxml")
# The XML wrapper deletes the XML library's nodes through their virtual destructors, which run
# inside that library and give the memory back to the allocator it came from. GCC could turn
# those calls into inlined copies that free through this library's GMalloc instead.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/config/tvXmlFile.cpp
  PROPERTIES COMPILE_OPTIONS "$<$<CXX_COMPILER_ID:GNU>:-fno-devirtualize>")

# libcurl: the HTTP transfers of the download manager and appHttpPost (src/net).
pkg_check_modules(TVCORE_LIBCURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_LIBCURL)
string(APPEND TVCORE_PC_REQUIRES_PRIVATE " libcurl")
