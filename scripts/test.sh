#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first a normal build,
# then a build with AddressSanitizer and UndefinedBehaviorSanitizer, then each
# fuzz target for a bounded time (clang; scripts/fuzz.sh runs them longer).
# scripts/test.sh --quick skips the sanitizer build and the fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  scripts/build.sh "$dir" "$@"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

run_suite build
if [ "${1:-}" != "--quick" ]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
  run_suite build-asan -DLUMO2_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  # The fuzz build sets its own sanitizer options.
  unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
  scripts/fuzz.sh "${LUMO2_FUZZ_SECONDS:-45}"
fi
