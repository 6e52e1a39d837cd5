#!/usr/bin/env bash
# Runs the Linux lumo2-tool and lumo2-tool.exe (under Wine) on the same inputs
# and compares what they give byte for byte: standard output, standard error,
# exit status and written files. One round runs in a zone far from UTC.
#   scripts/windows_tool_compare.sh LINUX_TOOL WINDOWS_TOOL WORK_DIR
# Prints "N passed, N failed"; exit status 1 when any case differs.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_tool=$(realpath "$1")
windows_tool=$(realpath "$2")
work=$3
corpus=$PWD/tests/fuzz/corpus
rm -rf "$work"
mkdir -p "$work/in"
work=$(realpath "$work")

cp "$corpus/fuzz_cal_xml/calibration_1234_20240506.xml" "$work/in/calibration.xml"
cp "$corpus/fuzz_constants/legacy.dat" "$work/in/constants.dat"
cp "$corpus"/fuzz_receiver/* "$work/in/"
# A saved table: CR LF lines, one row with every lamp, one with lamps missing.
printf 'Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n%s\r\n%s\r\n' \
  '1607337600;07.12.2020 10:40:00;0;512.300;18.000;7.250;42.500;18.52;-;-;-;-;' \
  '1607337610;07.12.2020 10:40:10;0;-;3.000;-;0.125;18.50;-;-;-;-;' > "$work/in/table.csv"

passed=0 failed=0

# run_case NAME STDIN ARGUMENTS...: each tool in its own copy of the inputs.
run_case() {
  local name=$1 input=$2
  shift 2
  local side
  for side in linux windows; do
    local dir=$work/$name/$side
    mkdir -p "$dir"
    cp "$work"/in/* "$dir/"
    local status=0
    if [ $side = linux ]; then
      (cd "$dir" && "$linux_tool" "$@" <"$input" >stdout 2>stderr) || status=$?
    else
      (cd "$dir" && wine "$windows_tool" "$@" <"$input" >stdout 2>stderr) || status=$?
    fi
    echo "$status" > "$dir/status"
  done
  if diff -r "$work/$name/linux" "$work/$name/windows" >"$work/$name.diff"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "lumo2-tool.exe differs from lumo2-tool in \"$name\" ($*):" >&2
    head -20 "$work/$name.diff" >&2
  fi
}

run_all() {
  local round=$1
  run_case "$round-calc" /dev/null calc calibration.xml
  run_case "$round-calc-file" /dev/null calc calibration.xml -o constants_out.dat
  run_case "$round-convert" /dev/null convert constants.dat --deltas 512.3,18.0,-,42.5
  run_case "$round-reconvert" /dev/null reconvert table.csv constants.dat -o converted.csv
  run_case "$round-reconvert-stdout" /dev/null reconvert table.csv constants.dat
  local capture
  for capture in frame_O text_O text_then_frame text_time_E; do
    run_case "$round-decode-$capture" /dev/null decode "$capture"
    run_case "$round-decode-stdin-$capture" "$work/in/$capture" decode -
  done
  run_case "$round-unknown" /dev/null frobnicate
  run_case "$round-missing-file" /dev/null calc missing.xml
}

TZ=UTC run_all utc
# Twelve hours east, with summer time: the tool's time stamps stay UTC.
TZ=NZST-12NZDT run_all zoned
echo "lumo2-tool.exe against lumo2-tool: $passed passed, $failed failed"
[ $failed -eq 0 ]
