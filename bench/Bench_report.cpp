#include "bench/Bench_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Tfigure {
    std::string name;
    double value;
    std::string unit;
    std::string goal;
    const char* status;
};

std::vector<Tfigure>& figures()
{
    static std::vector<Tfigure> all;
    return all;
}

std::vector<std::string>& failures()
{
    static std::vector<std::string> all;
    return all;
}

// A later report of a name replaces the earlier one: a benchmark run again
// by the library keeps its last figures.
void record(const Tfigure& figure)
{
    for (Tfigure& known : figures())
        if (known.name == figure.name) {
            known = figure;
            return;
        }
    figures().push_back(figure);
}

} // namespace

void report_figure(const std::string& name, double value, const std::string& unit, const std::string& goal,
                   bool met)
{
    record({name, value, unit, goal, met ? "met" : "MISSED"});
}

void report_info(const std::string& name, double value, const std::string& unit, const std::string& note)
{
    record({name, value, unit, note, "info"});
}

void report_failure(const std::string& reason)
{
    failures().push_back(reason);
}

std::string format_number(double value)
{
    char text[64];
    const double size = std::fabs(value);
    std::snprintf(text, sizeof text, size >= 100.0 && size < 1e7 ? "%.0f" : "%.3g", value);
    return text;
}

double percentile(std::vector<double> samples, double p)
{
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(p / 100.0 * double(samples.size()));
    const size_t index = rank < 1.0 ? 0 : size_t(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

int run_benchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::fflush(stderr);
    for (const Tfigure& figure : figures()) {
        std::string value = format_number(figure.value);
        if (!figure.unit.empty()) value += " " + figure.unit;
        std::printf("FIGURE|%s|%s|%s|%s\n", figure.name.c_str(), value.c_str(), figure.goal.c_str(), figure.status);
    }
    for (const std::string& reason : failures()) std::printf("FAILED|%s\n", reason.c_str());
    std::fflush(stdout);
    return failures().empty() ? 0 : 1;
}
