#pragma once
#include <string>
#include <sys/types.h>

// The probe program (lumo2_bench_probe, beside the bench binary) started as
// a child whose standard output is read line by line.
class Tprobe_process {
public:
    Tprobe_process() = default;
    ~Tprobe_process();
    Tprobe_process(const Tprobe_process&) = delete;
    Tprobe_process& operator=(const Tprobe_process&) = delete;

    // Starts the probe in the working directory `dir` with the argument
    // (empty for none). False with a reason when it cannot be started.
    bool start(const std::string& dir, const std::string& argument, std::string* error);
    // Waits for the line "<word> <nanoseconds>" and returns the number; -1
    // when the output ends or the patience runs out first.
    long long wait_for(const std::string& word, int patience_ms);
    // Waits for the child to end; true when it ended by itself with code 0.
    bool wait_end(int patience_ms);
    void terminate();
    pid_t pid() const { return child; }

private:
    pid_t child = -1;
    int output = -1;
    std::string pending;
};

// Steady-clock nanoseconds, the clock the probe reports in.
long long steady_ns();
// The probe's path: beside this program.
std::string probe_path();
