# Third-party libraries the library links against (Debian packages, found through pkg-config).
# Each subsystem adds its own dependency here when it arrives.
find_package(PkgConfig REQUIRED)

# Zip packages: zlib and its minizip companion (Debian libminizip-dev, zlib1g-dev). Linked
# privately; no minizip type reaches a public header.
pkg_check_modules(TVCORE_MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(TVCORE_ZLIB REQUIRED IMPORTED_TARGET zlib)
target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_MINIZIP PkgConfig::TVCORE_ZLIB)
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
