# Installing the programs like any desktop program, and the Debian packages.
#
# Every install() rule names a component, and each component is one Debian
# package of the same name:
#   terravel                 the programs in bin/, the launcher, the icons,
#                            the AppStream file and the manual pages
#   libterravel-physics-dev  the formula module: header, static library,
#                            CMake and pkg-config files (cmake/install-physics.cmake)
#   python3-terravel         the Python package, when TERRAVEL_BUILD_PYTHON is on
# Each package carries usr/share/doc/<package>/copyright and changelog.gz.
#
# A front end that adds a program to the terravel package installs it and its
# manual page with COMPONENT terravel, from its own CMakeLists.txt:
#   install(TARGETS terravel-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
#           COMPONENT terravel)
#   install(FILES terravel-batch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
#           COMPONENT terravel)
# The page is installed as written (roff, uncompressed); the package build
# compresses every page under share/man and strips every binary
# (packaging/finish-package.cmake), so nothing more is needed.
# lintian wants a manual page for every program in /usr/bin.
#
# Build the packages from a tree configured with the /usr prefix, so that
# GNUInstallDirs puts the library under the multiarch directory
# (lib/x86_64-linux-gnu) that Debian and cross pkg-config look in:
#   cmake -S . -B build/deb -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
#   cmake --build build/deb && (cd build/deb && cpack -G DEB)
include(GNUInstallDirs)

# The reverse-DNS name of the application: the launcher, the AppStream file
# and the icons are all called after it.
set(TERRAVEL_APP_ID io.github.terravel.Terravel)

if(TARGET terravel)
  install(TARGETS terravel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT terravel)
  install(FILES ${PROJECT_SOURCE_DIR}/data/man/terravel.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT terravel)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${TERRAVEL_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT terravel)
  install(FILES ${PROJECT_SOURCE_DIR}/data/${TERRAVEL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT terravel)
  # The launcher and the window show the same artwork: the SVG and its
  # renders (data/icons/render.sh).
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${TERRAVEL_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT terravel)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/hicolor/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor COMPONENT terravel
    FILES_MATCHING PATTERN "*.png")
endif()

set(terravel_packages libterravel-physics-dev)
if(TARGET terravel OR TARGET terravel-batch)
  list(PREPEND terravel_packages terravel)
endif()
if(TERRAVEL_BUILD_PYTHON)
  list(APPEND terravel_packages python3-terravel)
endif()

# Debian's changelog doubles as the release history of every package; the
# package build checks that its newest entry is this version.
foreach(package IN LISTS terravel_packages)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_SOURCE_DIR}/packaging/changelog
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${package})
endforeach()

set(CPACK_PACKAGE_NAME terravel)
set(CPACK_PACKAGE_VENDOR "The Terravel developers")
set(CPACK_PACKAGE_CONTACT "The Terravel developers <dev@terravel.invalid>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
# Only the packages above; an install() rule without a component belongs to none.
set(CPACK_COMPONENTS_ALL ${terravel_packages})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Stripping and compressing, for every file of every package.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish-package.cmake)
set(CPACK_TERRAVEL_STRIP ${CMAKE_STRIP})
set(CPACK_TERRAVEL_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set(CPACK_TERRAVEL_METAINFO ${PROJECT_SOURCE_DIR}/data/${TERRAVEL_APP_ID}.metainfo.xml)
# Run-time dependencies are derived from the binaries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_TERRAVEL_PACKAGE_NAME terravel)
set(CPACK_DEBIAN_TERRAVEL_PACKAGE_SECTION science)
set(CPACK_DEBIAN_TERRAVEL_DESCRIPTION "surface heat-balance calculator
Terravel finds the ground surface temperature at which the surface energy
balance closes and shows every flux of it: net radiation, sensible, latent
and ground heat, the Bowen ratio and the evaporation.")

set(CPACK_DEBIAN_LIBTERRAVEL-PHYSICS-DEV_PACKAGE_NAME libterravel-physics-dev)
set(CPACK_DEBIAN_LIBTERRAVEL-PHYSICS-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBTERRAVEL-PHYSICS-DEV_DESCRIPTION "surface heat-balance formulas of Terravel (C++ library)
The formula module of the Terravel calculator as a static C++ library:
moist air, the surface heat balance and its solver, radiation and
evaporation. It comes with a CMake package (find_package(TerravelPhysics))
and a pkg-config file (terravel-physics).")

if(TERRAVEL_BUILD_PYTHON)
  set(CPACK_DEBIAN_PYTHON3-TERRAVEL_PACKAGE_NAME python3-terravel)
  set(CPACK_DEBIAN_PYTHON3-TERRAVEL_PACKAGE_SECTION python)
  # dpkg-shlibdeps sees the extension module's libraries, not the Python it
  # is built for nor the modules it imports: NumPy always, xarray for
  # terravel.xarray. More can go in TERRAVEL_PYTHON_DEB_DEPENDS.
  find_package(Python3 COMPONENTS Interpreter QUIET)
  if(Python3_VERSION_MAJOR AND Python3_VERSION_MINOR)
    math(EXPR next_minor "${Python3_VERSION_MINOR} + 1")
    set(python_depends "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~), python3 (<< ${Python3_VERSION_MAJOR}.${next_minor})")
  else()
    set(python_depends "python3")
  endif()
  string(JOIN ", " CPACK_DEBIAN_PYTHON3-TERRAVEL_PACKAGE_DEPENDS
    ${python_depends} python3-numpy ${TERRAVEL_PYTHON_DEB_DEPENDS})
  set(CPACK_DEBIAN_PYTHON3-TERRAVEL_PACKAGE_SUGGESTS python3-xarray)
  set(CPACK_DEBIAN_PYTHON3-TERRAVEL_DESCRIPTION "surface heat-balance calculator (Python 3 module)
The Terravel calculation for arrays of inputs in Python: every row gives the
ground surface temperature at which the surface energy balance closes and
every flux of it, with the same checks and figures as the calculator.")
endif()

include(CPack)
