# Third-party libraries the library links against (Debian packages, found through pkg-config).
# Each subsystem adds its own dependency here when it arrives.
find_package(PkgConfig REQUIRED)

# TinyXML 2.6.2 (Debian libtinyxml-dev): the XML documents of src/config. Debian builds it with
# TIXML_USE_STL, which changes its classes' layout, so every source that includes its header
# must define it too. Linked privately: no public header includes it.
pkg_check_modules(TVCORE_TINYXML REQUIRED IMPORTED_TARGET tinyxml)
target_link_libraries(tvCore PRIVATE PkgConfig::TVCORE_TINYXML)
target_compile_definitions(tvCore PRIVATE TIXML_USE_STL)
