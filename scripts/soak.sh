#!/usr/bin/env bash
# The long runs behind the README's reliability figures, on the normal build
# with LeakSanitizer preloaded (no other instrumentation, so the memory
# figures are the program's own):
#   - thirty days of 10 s measurements (259,200 answers) from the simulated
#     instrument through the serial path into the live view's table, then
#     saved; resident memory growth and leaks;
#   - a 10 MB burst without a line or frame end.
#   scripts/soak.sh [ANSWERS]          (default 259200)
# LUMO2_BUILD_DIR chooses the build tree (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
answers=${1:-259200}
dir=${LUMO2_BUILD_DIR:-build}
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$dir" --target robust_tests >/dev/null
lsan=$(gcc -print-file-name=liblsan.so)
[ -f "$lsan" ] || lsan=$(ls /usr/lib/*/liblsan.so.0 2>/dev/null | head -n 1)
[ -f "$lsan" ] || { echo "soak.sh: LeakSanitizer (liblsan) is missing" >&2; exit 1; }
export LSAN_OPTIONS="exitcode=23:suppressions=$PWD/tests/lsan.supp"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
  local status=0
  LD_PRELOAD=$lsan "$dir/tests/robust/robust_tests" "$@" >"$log" 2>&1 || status=$?
  grep -E '^(soak|burst):' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "soak.sh: failed (status $status; 23 means LeakSanitizer found a leak)" >&2
    exit "$status"
  fi
}

start=$(date +%s)
LUMO2_SOAK_ANSWERS=$answers run --gtest_filter='Soak.*'
LUMO2_BURST_BYTES=$((10 * 1024 * 1024)) run --gtest_filter='Endless_line.*'
echo "soak.sh: no failure, no leak, $(( $(date +%s) - start )) s"
