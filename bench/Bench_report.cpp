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
    bool met;
};

// Later reports of one name replace earlier ones: a benchmark run again by
// the library keeps its last figures.
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

std::string shown(double value)
{
    char text[64];
    const double size = std::fabs(value);
    if (size != 0.0 && (size >= 1e7 || size < 1e-3)) std::snprintf(text, sizeof text, "%.3g", value);
    else if (size >= 100.0) std::snprintf(text, sizeof text, "%.0f", value);
    else std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

} // namespace

void report_figure(const std::string& name, double value, const std::string& unit, const std::string& goal,
                   bool met)
{
    for (Tfigure& figure : figures())
        if (figure.name == name) {
            figure = {name, value, unit, goal, met};
            return;
        }
    figures().push_back({name, value, unit, goal, met});
}

void report_failure(const std::string& reason)
{
    failures().push_back(reason);
}

double percentile(std::vector<double> samples, double p)
{
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    double rank = std::ceil(p / 100.0 * double(samples.size()));
    size_t index = rank < 1.0 ? 0 : size_t(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

int run_benchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const Tfigure& figure : figures()) {
        std::string value = shown(figure.value);
        if (!figure.unit.empty()) value += " " + figure.unit;
        std::printf("FIGURE|%s|%s|%s|%s\n", figure.name.c_str(), value.c_str(), figure.goal.c_str(),
                    figure.met ? "met" : "MISSED");
    }
    for (const std::string& reason : failures()) std::printf("FAILED|%s\n", reason.c_str());
    std::fflush(stdout);
    return failures().empty() ? 0 : 1;
}
