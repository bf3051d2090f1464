#!/bin/sh
# Builds Terravel's Debian packages into a build folder (build/deb unless
# given): configured for the /usr prefix, so that the library goes under the
# multiarch folder, and compiled with the hardening flags Debian builds its
# own packages with. The packages are the install components of
# cmake/package.cmake, one .deb each.
#   packaging/build-debs.sh [BUILD-DIR]
# Needs dpkg-dev (dpkg-buildflags, dpkg-shlibdeps) besides the build packages.
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build/deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake takes CXXFLAGS and LDFLAGS from the environment at the first
# configure; the build type's -O3 comes after dpkg's -O2 and wins.
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DTERRAVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j2
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB)
