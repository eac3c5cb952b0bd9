# What an installation holds, by component (one Debian package each):
# runtime (the library), development (headers, pkg-config file, CMake
# package, the unversioned link), tools, server and doc.
include(CMakePackageConfigHelpers)
set_target_properties(PelundLib PROPERTIES EXPORT_NAME PelundLib)
target_include_directories(PelundLib INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
install(TARGETS PelundLib EXPORT PelundLibTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(DIRECTORY include/pelund DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

# The pkg-config file finds the prefix from its own place, so that an
# installation can move.
file(RELATIVE_PATH PELUND_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" PELUND_PC_TO_PREFIX "${PELUND_PC_TO_PREFIX}")
configure_file(cmake/PelundLib.pc.in PelundLib.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/PelundLib.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)

install(EXPORT PelundLibTargets NAMESPACE PelundLib:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/PelundLib
  COMPONENT development)
configure_package_config_file(cmake/PelundLibConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/PelundLibConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/PelundLib)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/PelundLibConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/PelundLibConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/PelundLibConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/PelundLib COMPONENT development)
