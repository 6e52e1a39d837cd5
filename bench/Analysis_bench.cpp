// The tracer test analysis of a month of 10 s rows (259,200), three lamps
// with concentrations, the discharge from an hourly file: the time one
// recomputation takes, as the view window would redo it when a row arrives.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/Discharge.h"
#include "analysis/Tracer_analysis.h"
#include "analysis/Tracer_inputs.h"
#include "bench/Bench_report.h"
#include "events/Lib_cpp.h"
#include "view/Measure_table.h"

namespace {

constexpr unsigned MONTH_ROWS = 30 * 24 * 360;
constexpr int START = 1796724000;
constexpr int INJECTION = START + 86400;  // a day of background first
constexpr double GOAL_MS = 100.0;

// Lamp A a breakthrough peaking after about ten days, lamps B and C noise.
std::vector<Tmeasure_row> month_of_rows()
{
    std::vector<Tmeasure_row> rows(MONTH_ROWS);
    std::mt19937 rng(11);
    std::normal_distribution<float> noise(0.0f, 0.01f);
    for (unsigned i = 0; i < MONTH_ROWS; ++i) {
        Tmeasure_row& row = rows[i];
        row.timestamp = int32_t(START + 10 * i);
        const double t = double(row.timestamp - INJECTION) / 86400.0;
        const double curve = t > 0 ? 30.0 * std::pow(10.0 / t, 1.5) * std::exp(-8.0 * (t - 10) * (t - 10) / (4 * t * 10)) : 0.0;
        row.ppb[0] = float(0.1 + curve) + noise(rng);
        row.ppb[1] = 0.2f + noise(rng);
        row.ppb[2] = 0.3f + noise(rng);
        for (float& delta : row.delta)
            delta = undefined_float();
        row.temperature = row.ntu = undefined_float();
    }
    return rows;
}

std::string hourly_discharge()
{
    std::string text;
    for (int hour = 0; hour <= 31 * 24; ++hour)
        text += std::to_string(START + 3600 * hour) + ";" + std::to_string(400 + 100 * std::sin(hour / 24.0)) + "\n";
    return text;
}

void BM_analyse_month(benchmark::State& state)
{
    const std::vector<Tmeasure_row> rows = month_of_rows();
    Tdischarge discharge;
    std::string error;
    if (!discharge.read_rows(hourly_discharge(), &error)) {
        state.SkipWithError(error.c_str());
        report_failure("analysis: " + error);
        return;
    }
    Ttracer_inputs inputs;
    inputs.injection_utc = INJECTION;
    inputs.mass_g[0] = 500;
    inputs.distance_m = 2500;
    std::vector<double> milliseconds;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const std::vector<Tlamp_analysis> lamps = analyse_tracer_test(rows, inputs, discharge);
        milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        benchmark::DoNotOptimize(lamps.data());
        if (lamps.size() != 3 || lamps[0].figures[RESULT_MEAN_RESIDENCE].state == Tfigure_state::not_available) {
            state.SkipWithError("the month's curve was not analysed");
            report_failure("analysis: the month's curve was not analysed");
            return;
        }
    }
    const double median = percentile(milliseconds, 50);
    const double worst = percentile(milliseconds, 100);
    state.counters["median_ms"] = median;
    report_figure("tracer analysis of 259,200 rows, 3 lamps: median", median, "ms", "< 100 ms", median < GOAL_MS);
    report_figure("tracer analysis of 259,200 rows, 3 lamps: slowest", worst, "ms", "< 100 ms", worst < GOAL_MS);
}

BENCHMARK(BM_analyse_month)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) { return run_benchmarks(argc, argv); }
