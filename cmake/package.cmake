# Installing the program like any desktop program, and the Debian package.
include(GNUInstallDirs)

if(TARGET terravel)
  install(TARGETS terravel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/data/terravel.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
  # The launcher shows the same picture the window carries.
  install(FILES ${PROJECT_SOURCE_DIR}/app/terravel.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps COMPONENT program)
endif()

set(CPACK_PACKAGE_NAME terravel)
set(CPACK_PACKAGE_VENDOR "Terravel")
set(CPACK_PACKAGE_CONTACT "Terravel developers <dev@terravel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Surface heat-balance calculator")
set(CPACK_PACKAGE_DESCRIPTION
  "Terravel finds the ground surface temperature at which the surface energy\n\
balance closes and shows every flux of it: net radiation, sensible, latent\n\
and ground heat, the Bowen ratio and the evaporation. It also ships its\n\
formula module as a C++ library with CMake and pkg-config files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Run-time dependencies are derived from the binaries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
