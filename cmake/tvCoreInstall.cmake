include(CMakePackageConfigHelpers)

install(TARGETS tvCore EXPORT tvCoreTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/tvCore
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(EXPORT tvCoreTargets
  NAMESPACE tvCore::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tvCore)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tvCoreConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tvCoreConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tvCore)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tvCoreConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tvCoreConfig.cmake ${PROJECT_BINARY_DIR}/tvCoreConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tvCore)

# The .pc file finds its prefix relative to its own folder, so an installed tree can be moved.
file(RELATIVE_PATH TVCORE_PC_UP "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" TVCORE_PC_UP "${TVCORE_PC_UP}")
set(TVCORE_PC_PREFIX "\${pcfiledir}/${TVCORE_PC_UP}")
set(TVCORE_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
set(TVCORE_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/tvCore.pc.in ${PROJECT_BINARY_DIR}/tvCore.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tvCore.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
