// The journal's cost on the GUI thread: the time table_add takes with the
// journal writing each row, on a memory file system and on the build disk,
// against table_add alone; and how long the journal's thread waits for the
// disk per row, the wait the GUI thread is spared.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/Bench_report.h"
#include "bench/Bench_row.h"
#include "view/Measure_journal.h"

namespace {

constexpr int ROWS = 1000;
// Rows arrive 2 ms apart, so that the journal's thread syncs beside them as
// it does at the live view's rhythm; back to back they would coalesce.
constexpr auto ROW_GAP = std::chrono::milliseconds(2);
constexpr double GOAL_MEDIAN_MS = 0.2;
constexpr double GOAL_P99_MS = 2.0;

using Tclock = std::chrono::steady_clock;

double ms_since(Tclock::time_point begin)
{
    return std::chrono::duration<double, std::milli>(Tclock::now() - begin).count();
}

// A fresh folder under base, removed afterwards.
struct Tbench_folder {
    explicit Tbench_folder(const std::string& base)
    {
        std::string pattern = base + "/lumo2-journal-bench-XXXXXX";
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~Tbench_folder()
    {
        if (!path.empty()) std::filesystem::remove_all(path);
    }
    std::string path;
};

// Milliseconds table_add takes for each row; with a folder, the journal
// writes every row there.
std::vector<double> add_times(const std::string& folder)
{
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    if (!folder.empty()) journal.start(folder);
    std::vector<double> times;
    for (int i = 0; i < ROWS; ++i) {
        const Tlumo_measure r = bench_record(unsigned(i));
        const auto begin = Tclock::now();
        table.table_add(&r);
        times.push_back(ms_since(begin));
        std::this_thread::sleep_for(ROW_GAP);
    }
    return times;
}

// Milliseconds the journal's thread takes to bring one row to the disk.
double sync_time(const std::string& folder)
{
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    journal.start(folder);
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) {
        const Tlumo_measure r = bench_record(unsigned(i));
        table.table_add(&r);
        const auto begin = Tclock::now();
        journal.wait_synced();
        times.push_back(ms_since(begin));
    }
    return percentile(times, 50);
}

void journal_on(benchmark::State& state, const std::string& base, const std::string& where)
{
    Tbench_folder folder(base);
    if (folder.path.empty()) {
        state.SkipWithError("no folder");
        report_failure("journal on " + where + ": cannot make a folder in " + base);
        return;
    }
    std::vector<double> with;
    std::vector<double> without;
    double synced = 0;
    for (auto _ : state) {
        with = add_times(folder.path);
        without = add_times("");
        synced = sync_time(folder.path);
    }
    const double median = percentile(with, 50);
    const double p99 = percentile(with, 99);
    state.counters["median_ms"] = median;
    state.counters["p99_ms"] = p99;
    report_figure("journal row on " + where + ", median", median, "ms on the GUI thread",
                  "< " + format_number(GOAL_MEDIAN_MS) + " ms", median < GOAL_MEDIAN_MS);
    report_figure("journal row on " + where + ", 99th percentile", p99, "ms on the GUI thread",
                  "< " + format_number(GOAL_P99_MS) + " ms", p99 < GOAL_P99_MS);
    report_info("table row without journal, median (" + where + " run)", percentile(without, 50), "ms", "baseline");
    report_info("journal sync on " + where + ", median", synced, "ms", "on the journal's thread");
}

void BM_journal_memory(benchmark::State& state) { journal_on(state, "/dev/shm", "tmpfs"); }
void BM_journal_disk(benchmark::State& state) { journal_on(state, std::filesystem::current_path().string(), "disk"); }

BENCHMARK(BM_journal_memory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_journal_disk)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv); }
