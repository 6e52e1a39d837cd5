#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all, then prints a short
# table of the figures and their goals. Every figure is a ratio or a
# distribution measured within one run.
#   scripts/bench.sh            everything, idle cost included (about 2 minutes)
#   scripts/bench.sh --quick    without the minute-long idle benchmark
# LUMO2_BENCH_DIR chooses the build tree (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${LUMO2_BENCH_DIR:-build-bench}
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMO2_BENCH=ON >/dev/null
fi
cmake --build "$dir" --target lumo2_bench_receive lumo2_bench_journal lumo2_bench_analysis lumo2_bench_gui \
  lumo2_bench_latency lumo2_bench_startup lumo2_bench_idle lumo2_bench_probe lumo2_bench_publish

benches=(lumo2_bench_receive lumo2_bench_journal lumo2_bench_analysis lumo2_bench_gui lumo2_bench_latency lumo2_bench_startup
  lumo2_bench_publish)
[ "${1:-}" = "--quick" ] || benches+=(lumo2_bench_idle)

export QT_QPA_PLATFORM=offscreen
results=$(mktemp)
trap 'rm -f "$results"' EXIT
status=0
for bench in "${benches[@]}"; do
  echo "== $bench"
  "$dir/bench/$bench" 2>&1 | tee -a "$results" | grep -v -e '^FIGURE|' -e '^FAILED|' || status=1
done

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
awk -F'|' '
  $1 == "FIGURE" { rows[++n] = $0; if (length($2) > w) w = length($2) }
  $1 == "FAILED" { failed[++f] = $2 }
  END {
    printf "%-" w "s  %-22s  %-40s  %s\n", "figure", "measured", "goal", ""
    for (i = 1; i <= n; i++) {
      split(rows[i], c, "|")
      printf "%-" w "s  %-22s  %-40s  %s\n", c[2], c[3], c[4], c[5]
    }
    for (i = 1; i <= f; i++) printf "FAILED: %s\n", failed[i]
  }' "$results"
grep -q '^FAILED|' "$results" && status=1
exit $status
