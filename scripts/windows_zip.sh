#!/usr/bin/env bash
# Packs the Windows release zip from a cross-built tree:
#   scripts/windows_zip.sh BUILD_DIR QT_PREFIX
# Leaves BUILD_DIR/lumo2-<version>-windows-x86_64.zip: one folder with
# lumo2.exe, lumo2-tool.exe, README.txt, LICENSE and THIRD-PARTY.txt (the
# licences of what the programs contain). Prints the zip's path.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
qt_prefix=$2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=lumo2-$version-windows-x86_64
stage=$build/zip/$name
rm -rf "$build/zip" "$build/$name.zip"
mkdir -p "$stage"

x86_64-w64-mingw32-strip -o "$stage/lumo2.exe" "$build/app/lumo2.exe"
x86_64-w64-mingw32-strip -o "$stage/lumo2-tool.exe" "$build/tool/lumo2-tool.exe"

# Text files with Windows line ends, so that every editor shows them whole.
crlf() { sed 's/\r$//; s/$/\r/'; }
crlf < packaging/windows/README.txt > "$stage/README.txt"
crlf < LICENSE > "$stage/LICENSE"
qt_version=$(basename "$qt_prefix" | sed 's/^qt6-win-\(.*\)-[0-9a-f]*$/\1/')
{
  sed "s/@QT_VERSION@/$qt_version/" packaging/windows/THIRD-PARTY.txt
  for part in "Qt: GNU Lesser General Public License, version 3:$qt_prefix/licenses/Qt-LGPL-3.0.txt" \
              "Qt: Debian's copyright file:$qt_prefix/licenses/Qt-copyright.txt" \
              "QCustomPlot: Debian's copyright file:$qt_prefix/licenses/QCustomPlot-copyright.txt" \
              "TinyXML: Debian's copyright file:$build/tinyxml/copyright"; do
    printf '\n\n==== %s ====\n\n' "${part%%:/*}"
    cat "/${part#*:/}"
  done
} | crlf > "$stage/THIRD-PARTY.txt"

(cd "$build/zip" && cmake -E tar cf "$build/$name.zip" --format=zip "$name")
echo "$build/$name.zip"
