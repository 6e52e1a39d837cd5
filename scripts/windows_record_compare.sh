#!/usr/bin/env bash
# Records from the simulated instrument with the Linux lumo2-tool and with
# lumo2-tool.exe under Wine, each from a simulator of the same seed and cell,
# and compares the two tables: every cell but the time columns (Timestamp,
# Date) must be the same, and so must the header and the line ends.
#   scripts/windows_record_compare.sh LINUX_TOOL WINDOWS_TOOL SIMULATOR WORK_DIR
# WINEPREFIX names the prefix whose COM port is joined to the simulator.
# Prints "N passed, N failed"; exit status 1 when any case differs.
set -euo pipefail
linux_tool=$(realpath "$1")
windows_tool=$(realpath "$2")
simulator=$(realpath "$3")
work=$4
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
dos=$WINEPREFIX/dosdevices
# Beyond the pairs the test programs use.
com=41

passed=0 failed=0
simulator_pids=()

stop_simulators() {
  local pid
  for pid in "${simulator_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  simulator_pids=()
  rm -f "$dos/com$com"
}
trap stop_simulators EXIT

# start_simulator SIDE FORM: a simulator linked as COM<com> in the side's own
# port folder. Run in this shell, not in $( ), so that its process is kept.
start_simulator() {
  local ports=$work/$1/ports
  mkdir -p "$ports"
  LUMO2_PORT_DIR=$ports "$simulator" --com "$com" --form "$2" --cell uranine=12.5,turbidity=3 --seed 7 \
    --delay 20 --quiet >"$work/$1/simulator.log" 2>&1 &
  simulator_pids+=($!)
  local tries=0
  while [ ! -L "$ports/COM$com" ]; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "the simulator made no port" >&2; return 1; }
    sleep 0.05
  done
}

# The table without its first two cells on each line.
without_times() { sed 's/^[^;]*;[^;]*;//' "$1"; }

run_case() {
  local name=$1 form=$2
  shift 2
  mkdir -p "$work/$name/linux" "$work/$name/windows"
  start_simulator "$name/linux" "$form"
  start_simulator "$name/windows" "$form"
  ln -sfn "$(readlink "$work/$name/windows/ports/COM$com")" "$dos/com$com"
  local linux_status=0 windows_status=0
  (cd "$work/$name/linux" && LUMO2_PORT_DIR=$work/$name/linux/ports \
     "$linux_tool" record --port "$com" "$@" -o table.csv >stdout 2>stderr) &
  local linux_pid=$!
  (cd "$work/$name/windows" && wine "$windows_tool" record --port "$com" "$@" -o table.csv >stdout 2>stderr) ||
    windows_status=$?
  wait "$linux_pid" || linux_status=$?
  stop_simulators
  local side ok=1
  for side in linux windows; do
    [ -s "$work/$name/$side/table.csv" ] || { ok=0; echo "\"$name\": $side recorded no table" >&2; }
    without_times "$work/$name/$side/table.csv" > "$work/$name/$side/values" 2>/dev/null || true
  done
  if [ $linux_status -ne 0 ] || [ $windows_status -ne 0 ]; then
    ok=0
    echo "\"$name\": exit status $linux_status on Linux, $windows_status under Wine" >&2
    cat "$work/$name/linux/stderr" "$work/$name/windows/stderr" >&2
  fi
  if ! diff "$work/$name/linux/values" "$work/$name/windows/values" >"$work/$name.diff"; then
    ok=0
    echo "lumo2-tool.exe records otherwise than lumo2-tool in \"$name\" ($*):" >&2
    head -20 "$work/$name.diff" >&2
  fi
  if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

run_case text text --every 1 --count 5
run_case frame frame --every 1 --count 5 --lamps ABT
echo "lumo2-tool.exe record against lumo2-tool record: $passed passed, $failed failed"
[ $failed -eq 0 ]
