#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a while on its corpus:
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 300)
# Fails on the first finding; the input that caused it is left in the fuzz
# build directory as crash-*, leak-* or timeout-*. New inputs found along
# the way stay in the build directory, not in the repository's corpus.
# LUMO2_FUZZ_DIR chooses the build tree (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
dir=${LUMO2_FUZZ_DIR:-build-fuzz}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMO2_FUZZ=ON -DLUMO2_GUI=OFF -DLUMO2_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$dir" --target fuzz_targets
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(realpath "$dir")/fuzz-work
corpus=$PWD/tests/fuzz/corpus
total=0
for target in fuzz_receiver fuzz_settings fuzz_constants fuzz_cal_xml fuzz_numbers fuzz_format; do
  mkdir -p "$work/$target"
  log="$work/$target.log"
  # The repository's seeds are read; what the run finds goes to the work copy.
  if ! (cd "$work" && "$(realpath "../tests/fuzz/$target")" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
          "$work/$target" "$corpus/$target" >"$log" 2>&1); then
    tail -n 60 "$log"
    echo "fuzz.sh: $target found a problem (log: $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  total=$((total + ${runs:-0}))
  echo "$target: ${runs:-0} executions in ${seconds} s, no finding"
done
echo "fuzz.sh: 6 targets, $total executions, no finding"
