#!/usr/bin/env bash
# Builds Qt 6 (Core, Gui, Widgets, PrintSupport, the windows and offscreen
# platform plugins) and QCustomPlot for 64-bit Windows from Debian's own
# source packages, static, with the host's moc, rcc and uic of the same
# version, into a cache shared by every build folder:
#   scripts/windows_qt.sh          prints the prefix to configure against
# The cache is $LUMO2_WINDOWS_CACHE, else ~/.cache/lumo2; each build is named
# by Qt's Debian version and a hash of its configure options and toolchain, so
# it is made once per machine and reused until one of them changes.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
source scripts/debian_source.sh

cache=${LUMO2_WINDOWS_CACHE:-$HOME/.cache/lumo2}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
toolchain=$source_dir/cmake/mingw-w64.cmake
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_testlib=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  # Dynamic GL stays on unless turned off by name, and the windows plugin then
  # does not compile.
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF
  # The bundled FreeType, which the offscreen platform plugin of the window
  # tests needs; the program's windows draw their text with GDI. DirectWrite
  # is left out, as in the configuration known to link statically.
  -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF -DFEATURE_fontconfig=OFF
  -DFEATURE_zstd=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_md4c=OFF
)

hash=$( { printf '%s\n' "${qt_options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)
qcp_hash=$(sha256sum cmake/qcustomplot-windows/CMakeLists.txt | cut -c1-12)
prefix=$cache/qt6-win-$qt_version-$hash
work=$cache/work-$hash

build_qt() {
  [ -f "$prefix/.qt-complete" ] && return
  echo "Building Qt $qt_version for Windows into $prefix (once per machine; about half an hour)" >&2
  rm -rf "$work" "$prefix"
  fetch_debian_source "qt6-base=$qt_version" "$work/apt" "$work/src"
  local src
  src=$(find "$work/src" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -1)
  cmake -S "$src" -B "$work/qt-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}" >"$work/qt-configure.log" 2>&1 \
    || { tail -40 "$work/qt-configure.log" >&2; return 1; }
  cmake --build "$work/qt-build" -j2 >"$work/qt-build.log" 2>&1 \
    || { grep -B5 -A20 'FAILED:' "$work/qt-build.log" | head -80 >&2; return 1; }
  cmake --install "$work/qt-build" >/dev/null
  mkdir -p "$prefix/licenses"
  cp "$src/LICENSES/LGPL-3.0-only.txt" "$prefix/licenses/Qt-LGPL-3.0.txt"
  cp "$src/debian/copyright" "$prefix/licenses/Qt-copyright.txt"
  touch "$prefix/.qt-complete"
  # The build tree is over 2 GB and of no use once installed.
  rm -rf "$work/qt-build"
}

build_qcustomplot() {
  [ -f "$prefix/.qcustomplot-$qcp_hash" ] && return
  echo "Building QCustomPlot for Windows into $prefix" >&2
  rm -rf "$work/qcp-src" "$work/qcp-build"
  fetch_debian_source qcustomplot "$work/apt" "$work/qcp-src"
  local src
  src=$(dirname "$(find "$work/qcp-src" -name qcustomplot.cpp | head -1)")
  cmake -S cmake/qcustomplot-windows -B "$work/qcp-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DQCUSTOMPLOT_SOURCE="$src" -DCMAKE_INSTALL_PREFIX="$prefix" >"$work/qcp-configure.log" 2>&1 \
    || { tail -40 "$work/qcp-configure.log" >&2; return 1; }
  cmake --build "$work/qcp-build" -j2 >/dev/null
  cmake --install "$work/qcp-build" >/dev/null
  cp "$(find "$work/qcp-src" -path '*/debian/copyright' | head -1)" "$prefix/licenses/QCustomPlot-copyright.txt"
  touch "$prefix/.qcustomplot-$qcp_hash"
  rm -rf "$work"
}

build_qt
build_qcustomplot
echo "$prefix"
