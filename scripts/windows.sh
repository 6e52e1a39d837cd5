#!/usr/bin/env bash
# Cross-builds the whole of Lumo 2 for 64-bit Windows (lumo2.exe,
# lumo2-tool.exe and every test program), packs the release zip and tests it
# all under Wine: the test programs, the window ones on the offscreen
# platform, with the serial ports as socat pseudo-terminal pairs behind
# Wine's COM devices; lumo2-tool.exe against the Linux lumo2-tool, also
# recording from the Linux simulator; lumo2.exe from the unpacked zip on a
# virtual display, killed and started again.
#   scripts/windows.sh [--screenshots] [BUILD_DIR]     (default build-windows)
# --screenshots also takes docs/windows-view.png.
# Qt and QCustomPlot come from Debian's source packages, built once per
# machine into a cache (scripts/windows_qt.sh). Everything else it fetches or
# makes stays in BUILD_DIR: TinyXML's Debian source package, its apt lists
# and cache, the build and the Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
source scripts/debian_source.sh
screenshots=false
if [ "${1:-}" = "--screenshots" ]; then
  screenshots=true
  shift
fi
build=${1:-build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)
triplet=x86_64-w64-mingw32

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  # Debian's Wine fonts give the windows Tahoma, the face Windows' dialogs use.
  local packages=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine dpkg-dev socat googletest cmake ninja-build
                  qt6-base-dev qt6-base-dev-tools xvfb xauth)
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    run_as_root apt-get update -qq
    run_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# TinyXML for Windows from Debian's own source package, built once per tree.
build_tinyxml() {
  local root=$build/tinyxml
  [ -f "$root/lib/libtinyxml.a" ] && return
  mkdir -p "$root/obj" "$root/lib" "$root/include"
  fetch_debian_source tinyxml "$root/apt" "$root/src"
  local src
  src=$(find "$root/src" -maxdepth 1 -mindepth 1 -type d -name 'tinyxml-*' | head -1)
  local file
  for file in tinystr tinyxml tinyxmlerror tinyxmlparser; do
    $triplet-g++-posix -O2 -DTIXML_USE_STL -c "$src/$file.cpp" -o "$root/obj/$file.o"
  done
  $triplet-ar rcs "$root/lib/libtinyxml.a" "$root"/obj/*.o
  cp "$src/tinyxml.h" "$src/tinystr.h" "$root/include/"
  cp "$src/debian/copyright" "$root/copyright"
}

# Against the cached Qt, whose toolchain file loads ours from this tree.
configure_and_build() {
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$source_dir CCACHE_NOHASHDIR=1
  fi
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64.cmake" -DLUMO2_GUI=ON -DLUMO2_BENCH=OFF \
    -DTINYXML_INCLUDE_DIR="$build/tinyxml/include" -DTINYXML_LIBRARY="$build/tinyxml/lib/libtinyxml.a" \
    "${launcher[@]}" >/dev/null
  cmake --build "$build" -j2
}

install_missing
build_tinyxml
qt_prefix=$(scripts/windows_qt.sh)
configure_and_build
zip=$(scripts/windows_zip.sh "$build" "$qt_prefix")
echo "Release zip: $zip"

# --- Running under Wine -----------------------------------------------------

export WINEPREFIX=$build/wine
export WINEDEBUG=-all
# No window and no download of the .NET or HTML runtimes.
export WINEDLLOVERRIDES="mscoree,mshtml=d"
unset DISPLAY WAYLAND_DISPLAY

prepare_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return
  echo "Creating the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
}

# Port pairs: COM<near> and COM<far> of the prefix, joined by socat through
# two pseudo-terminals. A pair is joined again whenever it was taken down:
# by socat ending, or by a test asking for a hang-up with a file
# hangup-<far> in the control folder.
port_pairs=(21:22 23:24 25:26 27:28)
port_control=$build/port-control
joiner_pids=()

join_pair() {
  local near=$1 far=$2 dos=$WINEPREFIX/dosdevices
  while [ ! -e "$port_control/stop" ]; do
    socat "pty,link=$dos/com$near,raw,echo=0" "pty,link=$dos/com$far,raw,echo=0" 2>/dev/null &
    local joined=$!
    while kill -0 "$joined" 2>/dev/null && [ ! -e "$port_control/hangup-$far" ] && [ ! -e "$port_control/stop" ]; do
      sleep 0.05
    done
    kill "$joined" 2>/dev/null || true
    wait "$joined" 2>/dev/null || true
    rm -f "$port_control/hangup-$far"
  done
}

start_port_pairs() {
  rm -rf "$port_control"
  mkdir -p "$port_control"
  local pair
  for pair in "${port_pairs[@]}"; do
    join_pair "${pair%:*}" "${pair#*:}" &
    joiner_pids+=($!)
  done
  local dos=$WINEPREFIX/dosdevices
  for pair in "${port_pairs[@]}"; do
    local tries=0
    while [ ! -e "$dos/com${pair%:*}" ] || [ ! -e "$dos/com${pair#*:}" ]; do
      tries=$((tries + 1))
      [ $tries -gt 100 ] && { echo "socat made no port pair $pair" >&2; return 1; }
      sleep 0.05
    done
  done
}

stop_port_pairs() {
  [ ${#joiner_pids[@]} -eq 0 ] && return
  touch "$port_control/stop"
  local pid
  for pid in "${joiner_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  joiner_pids=()
}

# A Unix path as the prefix's Z: drive names it.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

passed=0 failed=0 skipped=0
count_results() {
  local log=$1 n
  n=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1); passed=$((passed + ${n:-0}))
  n=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1); failed=$((failed + ${n:-0}))
  n=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$log" | tail -1); skipped=$((skipped + ${n:-0}))
}

run_test_programs() {
  local program log status
  export LUMO2_TEST_PORT_PAIRS="${port_pairs[*]}"
  LUMO2_TEST_PORT_CONTROL=$(windows_path "$port_control")
  export LUMO2_TEST_PORT_CONTROL
  mkdir -p "$build/test-logs"
  # Journals written by the tests stay in the build folder, as under ctest,
  # and none left open by an earlier run is found (and resumed) by this one.
  rm -rf "$build/test-journals"
  mkdir -p "$build/test-journals"
  local journals
  journals=$(windows_path "$build/test-journals")
  while read -r program; do
    [ -n "$program" ] || continue
    local path
    path=$(find "$build/tests" -name "$program" -type f | head -1)
    log=$build/test-logs/${program%.exe}.log
    status=0
    # The prefix's system time zone follows TZ: a zone with summer time, so
    # that local time with and without daylight saving differ.
    (cd "$build" && LUMO2_JOURNAL_DIR=$journals TZ=CET-1CEST,M3.5.0,M10.5.0/3 timeout 300 wine "$path" >"$log" 2>&1) || status=$?
    count_results "$log"
    if [ $status -ne 0 ]; then
      # A program that died before its summary counts as one failure.
      grep -q '^\[  FAILED  \] [0-9]* test' "$log" || failed=$((failed + 1))
      grep -E '^\[  FAILED  \] [A-Za-z]|Failure$' "$log" | head -20 >&2 || true
      echo "$program failed (exit $status); its output: $log" >&2
    fi
    grep '^\[  SKIPPED \] [A-Za-z]' "$log" || true
  done < "$build/test_programs.txt"
}

# A program of the normal Linux build, or of one made for the comparisons:
# linux_program TARGET PATH_IN_THE_BUILD
linux_program() {
  local program=$source_dir/build/$2
  if [ ! -x "$program" ]; then
    program=$build/linux-tool/$2
    if [ ! -f "$build/linux-tool/build.ninja" ]; then
      cmake -S "$source_dir" -B "$build/linux-tool" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLUMO2_GUI=OFF -DLUMO2_BENCH=OFF >/dev/null
    fi
    cmake --build "$build/linux-tool" -j2 --target "$1" >/dev/null
  fi
  echo "$program"
}

# count_comparisons LOG STATUS: the "N passed, N failed" line of a comparison
# script; no such line counts as one failure.
count_comparisons() {
  local log=$1 status=$2 n
  n=$(sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed$/\1/p' "$log"); passed=$((passed + ${n:-0}))
  n=$(sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed$/\2/p' "$log"); failed=$((failed + ${n:-1}))
  [ "$status" -eq 0 ] || cat "$log" >&2
}

compare_tools() {
  local log=$build/test-logs/tool-compare.log status=0
  "$source_dir/scripts/windows_tool_compare.sh" "$(linux_program lumo2-tool tool/lumo2-tool)" \
    "$build/tool/lumo2-tool.exe" "$build/tool-compare" >"$log" 2>&1 || status=$?
  count_comparisons "$log" $status
}

# The Win32 serial layer end to end: lumo2-tool.exe records from the Linux
# simulator through a COM port of the prefix.
compare_records() {
  local log=$build/test-logs/record-compare.log status=0
  "$source_dir/scripts/windows_record_compare.sh" "$(linux_program lumo2-tool tool/lumo2-tool)" \
    "$build/tool/lumo2-tool.exe" "$(linux_program zeta-sim sim/zeta-sim)" "$build/record-compare" \
    >"$log" 2>&1 || status=$?
  count_comparisons "$log" $status
}

# lumo2.exe from the unpacked zip, as a user runs it.
run_program() {
  local log=$build/test-logs/program-e2e.log status=0 shot=()
  $screenshots && shot=("$source_dir/docs/windows-view.png")
  "$source_dir/scripts/windows_e2e.sh" "$zip" "$(linux_program zeta-sim sim/zeta-sim)" "$build/program-e2e" \
    "${shot[@]}" >"$log" 2>&1 || status=$?
  count_comparisons "$log" $status
}

prepare_prefix
trap stop_port_pairs EXIT
start_port_pairs
run_test_programs
stop_port_pairs
compare_tools
compare_records
run_program
wineserver --wait || true
echo "Windows tests: $passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
