#!/usr/bin/env bash
# Cross-builds the Qt-free part of Lumo 2 for 64-bit Windows (the core,
# lumo2-tool.exe and the test programs without Qt) and runs it under Wine:
# the test programs, with the serial ports as socat pseudo-terminal pairs
# behind Wine's COM devices, and lumo2-tool.exe against the Linux lumo2-tool,
# also recording from the Linux simulator.
#   scripts/windows.sh [BUILD_DIR]      (default build-windows)
# Everything it fetches or makes stays in BUILD_DIR: TinyXML's Debian source
# package, its apt lists and cache, the build and the Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)
triplet=x86_64-w64-mingw32

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local packages=(g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev socat googletest cmake ninja-build)
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

# deb-src entries for the system's own Debian archives, in a sources folder
# of our own: the system's apt configuration is only read.
write_source_entries() {
  local out=$1
  mkdir -p "$out"
  : > "$out/system-src.list"
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+\(.*\)$/deb-src \1/p' "$file" >> "$out/system-src.list"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # Stanzas are separated by blank lines; only those of type deb are taken.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         { text = "\n" $0 "\n" }
         text ~ /\nTypes:([^\n]*[ \t])?deb([ \t][^\n]*)?\n/ {
           sub(/\nTypes:[^\n]*/, "\nTypes: deb-src", text); print substr(text, 2) }' "$file" > "$out/$(basename "$file")"
  done
}

# TinyXML for Windows from Debian's own source package, built once per tree.
build_tinyxml() {
  local root=$build/tinyxml
  [ -f "$root/lib/libtinyxml.a" ] && return
  local apt=$root/apt
  mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial" "$root/src" "$root/obj" "$root/lib" "$root/include"
  write_source_entries "$apt/sources"
  local options=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources"
                 -o Dir::State="$apt/state" -o Dir::Cache="$apt/cache" -o Dir::State::status=/var/lib/dpkg/status
                 -o APT::Sandbox::User=root)
  apt-get "${options[@]}" -qq update
  (cd "$root/src" && apt-get "${options[@]}" -qq source tinyxml >/dev/null)
  local src
  src=$(find "$root/src" -maxdepth 1 -mindepth 1 -type d -name 'tinyxml-*' | head -1)
  local file
  for file in tinystr tinyxml tinyxmlerror tinyxmlparser; do
    $triplet-g++-posix -O2 -DTIXML_USE_STL -c "$src/$file.cpp" -o "$root/obj/$file.o"
  done
  $triplet-ar rcs "$root/lib/libtinyxml.a" "$root"/obj/*.o
  cp "$src/tinyxml.h" "$src/tinystr.h" "$root/include/"
}

configure_and_build() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64.cmake" -DLUMO2_GUI=OFF -DLUMO2_BENCH=OFF \
      -DTINYXML_INCLUDE_DIR="$build/tinyxml/include" -DTINYXML_LIBRARY="$build/tinyxml/lib/libtinyxml.a" \
      "${launcher[@]}" >/dev/null
  fi
  cmake --build "$build" -j2
}

install_missing
build_tinyxml
configure_and_build

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
  while read -r program; do
    [ -n "$program" ] || continue
    local path
    path=$(find "$build/tests" -name "$program" -type f | head -1)
    log=$build/test-logs/${program%.exe}.log
    status=0
    # The prefix's system time zone follows TZ: a zone with summer time, so
    # that local time with and without daylight saving differ.
    (cd "$build" && TZ=CET-1CEST,M3.5.0,M10.5.0/3 timeout 300 wine "$path" >"$log" 2>&1) || status=$?
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

prepare_prefix
trap stop_port_pairs EXIT
start_port_pairs
run_test_programs
stop_port_pairs
compare_tools
compare_records
wineserver --wait || true
echo "Windows tests: $passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
