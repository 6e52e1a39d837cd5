// Idle cost: the CPU time the whole program uses while connected to a
// silent simulator with its 100 ms tick running, over a minute of wall time
// (LUMO2_IDLE_SECONDS to change it). Run by scripts/bench.sh only.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench/Bench_instrument.h"
#include "bench/Bench_report.h"
#include "bench/Process_bench.h"

namespace {

constexpr int DEFAULT_IDLE_SECONDS = 60;
constexpr int SETTLE_MS = 1000;
constexpr int PATIENCE_MS = 20000;
constexpr double GOAL_PERCENT = 1.0;

// CPU seconds used so far by every thread of the process, from the
// scheduler's nanosecond counts.
double cpu_seconds(pid_t pid)
{
    double seconds = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code failed;
    for (const auto& task : std::filesystem::directory_iterator(tasks, failed)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double on_cpu_ns = 0;
        if (schedstat >> on_cpu_ns) seconds += on_cpu_ns / 1e9;
    }
    return seconds;
}

// Voluntary context switches of the main thread: its wake-ups.
double wake_ups(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stod(line.substr(line.find(':') + 1));
    return 0;
}

int idle_seconds()
{
    const char* text = std::getenv("LUMO2_IDLE_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : DEFAULT_IDLE_SECONDS;
}

void BM_idle_cpu(benchmark::State& state)
{
    for (auto _ : state) {
        Tbench_instrument instrument;
        Tprobe_process probe;
        std::string error;
        if (!instrument.open(nullptr, &error) || !probe.start(instrument.dir, "", &error)) {
            state.SkipWithError(error.c_str());
            report_failure("idle: " + error);
            return;
        }
        if (probe.wait_for("connected", PATIENCE_MS) < 0) {
            state.SkipWithError("the program did not connect");
            report_failure("idle: the program did not connect to the simulator");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(SETTLE_MS));
        const double cpu_before = cpu_seconds(probe.pid());
        const double wake_ups_before = wake_ups(probe.pid());
        const long long wall_before = steady_ns();
        std::this_thread::sleep_for(std::chrono::seconds(idle_seconds()));
        const double cpu = cpu_seconds(probe.pid()) - cpu_before;
        const double woken = wake_ups(probe.pid()) - wake_ups_before;
        const double wall = double(steady_ns() - wall_before) / 1e9;
        probe.terminate();
        const bool ended = probe.wait_end(PATIENCE_MS);
        const auto seen = instrument.sim.requests_seen();
        if (!ended || seen.requests != 0) {
            state.SkipWithError("the program did not stay idle or did not exit");
            report_failure("idle: requests were sent or the program did not exit");
            return;
        }
        const double percent = 100.0 * cpu / wall;
        state.counters["cpu_percent"] = percent;
        state.counters["wall_s"] = wall;
        state.counters["main_thread_wake_ups_per_s"] = woken / wall;
        report_figure("idle CPU over " + std::to_string(int(wall + 0.5)) + " s, connected, tick running", percent,
                      "% of a core", "< 1 % (" + std::to_string(int(woken / wall + 0.5)) + " wake-ups/s)",
                      percent < GOAL_PERCENT);
    }
}

BENCHMARK(BM_idle_cpu)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return run_benchmarks(argc, argv);
}
