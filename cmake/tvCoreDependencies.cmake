# Third-party libraries the library links against (Debian packages, found through pkg-config).
# Each subsystem adds its own dependency here when it arrives.
find_package(PkgConfig REQUIRED)

# libcurl: the HTTP transfers of the download manager and appHttpPost (src/net).
pkg_check_modules(TVCORE_LIBCURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_LIBCURL)
