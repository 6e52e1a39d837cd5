#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh [BUILD_DIR] [extra cmake options]
# Compiles through ccache when it is there, keyed on paths relative to the
# source folder so that every clone shares the cache.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
fi
cmake --build "$dir"
