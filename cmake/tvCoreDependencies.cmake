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

# libcurl: the HTTP transfers of the download manager and appHttpPost (src/net).
pkg_check_modules(TVCORE_LIBCURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_LIBCURL)
string(APPEND TVCORE_PC_REQUIRES_PRIVATE " libcurl")
