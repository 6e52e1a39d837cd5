// Start-up and exit of the whole program in a fresh process on the
// offscreen platform: from the process being started to its main window
// exposed, and from the exit command to the process's end, without the
// pause before exit.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Bench_report.h"
#include "bench/Process_bench.h"

namespace {

constexpr int RUNS = 11;
constexpr int PATIENCE_MS = 20000;
constexpr double GOAL_MS = 300.0;

struct Ttimes {
    double startup_ms;
    double exit_ms;
};

bool run_once(const std::string& dir, Ttimes* times, std::string* error)
{
    const long long begin = steady_ns();
    Tprobe_process probe;
    if (!probe.start(dir, "--exit-when-shown", error)) return false;
    const long long shown = probe.wait_for("shown", PATIENCE_MS);
    const long long exiting = probe.wait_for("exiting", PATIENCE_MS);
    const bool ended = probe.wait_end(PATIENCE_MS);
    const long long end = steady_ns();
    if (shown < 0 || exiting < 0 || !ended) {
        *error = "the program did not show its window and exit";
        return false;
    }
    times->startup_ms = double(shown - begin) / 1e6;
    times->exit_ms = double(end - exiting) / 1e6;
    return true;
}

void BM_startup_and_exit(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo2-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        state.SkipWithError("no scratch directory");
        return;
    }
    const std::string dir = pattern;
    std::vector<double> startup;
    std::vector<double> exit;
    std::string error;
    for (auto _ : state) {
        Ttimes times{};
        bool ok = run_once(dir, &times, &error);  // the first run fills the file caches
        for (int run = 0; ok && run < RUNS; ++run) {
            ok = run_once(dir, &times, &error);
            startup.push_back(times.startup_ms);
            exit.push_back(times.exit_ms);
        }
        if (!ok) {
            state.SkipWithError(error.c_str());
            report_failure("start-up: " + error);
            break;
        }
    }
    std::filesystem::remove_all(dir);
    if (startup.empty()) return;
    const double startup_median = percentile(startup, 50);
    const double exit_median = percentile(exit, 50);
    state.counters["startup_median_ms"] = startup_median;
    state.counters["startup_max_ms"] = percentile(startup, 100);
    state.counters["exit_median_ms"] = exit_median;
    state.counters["exit_max_ms"] = percentile(exit, 100);
    report_figure("start-up to main window shown: median", startup_median, "ms",
                  "< 300 ms (max " + format_number(percentile(startup, 100)) + " ms)", startup_median < GOAL_MS);
    report_figure("exit without the 1000 ms pause: median", exit_median, "ms",
                  "< 300 ms (max " + format_number(percentile(exit, 100)) + " ms)", exit_median < GOAL_MS);
}

BENCHMARK(BM_startup_and_exit)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return run_benchmarks(argc, argv);
}
