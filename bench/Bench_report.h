#pragma once
#include <string>
#include <vector>

// The figures the benchmarks measure, each held to its goal. Every figure is
// a ratio or a distribution taken within one run, so that it holds on a
// busy machine.

// Records a figure; printed after the benchmarks as one line of the summary.
void report_figure(const std::string& name, double value, const std::string& unit, const std::string& goal,
                   bool met);

// Records a figure that has no goal of its own (a baseline, a detail).
void report_info(const std::string& name, double value, const std::string& unit, const std::string& note);

// Runs the benchmarks chosen on the command line, then prints the summary:
// one line per figure, "FIGURE|name|value unit|goal|met" ("MISSED", or "info" for
// a figure without a goal).
// Returns 1 when a benchmark could not run.
int run_benchmarks(int argc, char** argv);

// Marks the run as failed (a set-up that could not be made) with a reason.
void report_failure(const std::string& reason);

// A number as the summary shows it: three significant digits, whole
// numbers from 100 up.
std::string format_number(double value);

// The p-th percentile (0..100) of the samples, by nearest rank; 0 for none.
double percentile(std::vector<double> samples, double p);
