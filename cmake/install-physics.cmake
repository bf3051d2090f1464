# Installs the formula module as a library that other programs can use:
# the header under include/terravel/, the static library, a CMake package
# (find_package(TerravelPhysics) gives Terravel::physics) and a pkg-config file,
# all in the component (and Debian package) libterravel-physics-dev.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(terravel_physics PROPERTIES
  EXPORT_NAME physics
  OUTPUT_NAME terravel_physics
  POSITION_INDEPENDENT_CODE ON)

install(TARGETS terravel_physics EXPORT TerravelPhysicsTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libterravel-physics-dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/physics/heat_balance.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/terravel COMPONENT libterravel-physics-dev)

set(physics_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/TerravelPhysics)
install(EXPORT TerravelPhysicsTargets
  NAMESPACE Terravel::
  DESTINATION ${physics_cmake_dir} COMPONENT libterravel-physics-dev)
configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/TerravelPhysicsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TerravelPhysicsConfig.cmake
  INSTALL_DESTINATION ${physics_cmake_dir})
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/TerravelPhysicsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/TerravelPhysicsConfig.cmake
  ${PROJECT_BINARY_DIR}/TerravelPhysicsConfigVersion.cmake
  DESTINATION ${physics_cmake_dir} COMPONENT libterravel-physics-dev)

# The pkg-config file finds the prefix from its own place, so the installed
# tree can be moved (cmake --install --prefix, the Debian package).
file(RELATIVE_PATH pc_to_prefix "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/terravel-physics.pc.in
  ${PROJECT_BINARY_DIR}/terravel-physics.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/terravel-physics.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT libterravel-physics-dev)
