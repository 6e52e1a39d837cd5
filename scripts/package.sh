#!/usr/bin/env bash
# Builds the Debian package: scripts/package.sh [BUILD_DIR]   (default build-package)
# A Release build of the programs alone, optimised and hardened by Debian's
# flags, made into BUILD_DIR/lumo2_<version>_amd64.deb by CPack
# (cmake/Install.cmake).
# Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}
# dpkg-dev: dpkg-buildflags, and dpkg-shlibdeps, which finds the dependencies.
scripts/setup.sh dpkg-dev >&2

# Taken at the first configuration only, as build.sh configures once.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
# Optimised as Debian's packages are, by those flags (-O2): GCC 12 at CMake's
# -O3 warns falsely (-Wrestrict) inside std::string.
scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DLUMO2_TESTS=OFF -DLUMO2_BENCH=OFF >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
rm -f "$dir"/lumo2_*.deb
(cd "$dir" && cpack -G DEB >&2)
echo "$(cd "$dir" && pwd)/lumo2_${version}_amd64.deb"
