#pragma once
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tool/Tool.h"
#include "calibration/Lumo2_cal_master.h"
#include "link/Frame_builder.h"
#include "support/Temp_dir.h"

// What one run of the tool gave.
struct Ttool_run {
    int status;  // -1: killed by a signal
    std::string out;
    std::string err;
};

// Runs the built lumo2-tool with the arguments (shell words) and the input.
inline Ttool_run run_tool_binary(const Ttemp_dir& dir, const std::string& arguments, const std::string& input = "")
{
    dir.write("stdin", input);
    const std::string command = std::string("'") + LUMO2_TOOL + "' " + arguments + " <'" + dir.file("stdin") +
                                "' >'" + dir.file("stdout") + "' 2>'" + dir.file("stderr") + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.read("stdout"), dir.read("stderr")};
}

// Calls a subcommand's function as the tool's main does.
inline Ttool_run run_tool(const Ttool_args& args)
{
    Ttool_output io;
    const int status = tool_main(args, &io);
    return {status, io.out, io.err};
}

struct Tstandard {
    int tracer;
    int concentration;
    float deltas[4];
};

// Water on every lamp below every standard, each tracer strongest on its own
// lamp: a calibration every rule accepts.
inline std::vector<Tstandard> consistent_standards()
{
    return {
        {1, 1, {10, 20, 30, 5}},       {1, 2, {12, 22, 33, 15}},    {1, 3, {20, 30, 40, 100}},
        {1, 4, {100, 110, 120, 1000}}, {2, 5, {60, 21, 31, 6}},     {2, 6, {510, 40, 35, 7}},
        {4, 5, {11, 70, 32, 6}},       {4, 6, {15, 620, 50, 6.5f}}, {5, 5, {11, 21, 80, 5.5f}},
        {5, 6, {12, 24, 730, 5.5f}},
    };
}

// Stores the standards in a calibration master as the window's "Store value"
// does and saves them with "Save XML..."; returns the file's path.
inline std::string write_calibration_xml(const Ttemp_dir& dir, const char* name,
                                         const std::vector<Tstandard>& standards)
{
    Tlumo2_cal_master master;
    master.set_serial("4711");
    master.set_configuration("I,II,III");
    master.set_model("ZETA QX-2");
    master.set_date(2024, 5, 6);
    const float offs[4] = {100, 100, 100, 100};
    for (const Tstandard& standard : standards) {
        const frame_builder::Tbytes payload = frame_builder::measurement(standard.deltas, 21.5f, offs);
        master.on_instrument_data(1, payload.data(), static_cast<unsigned>(payload.size()));
        master.store_sample(static_cast<uint8_t>(standard.tracer), static_cast<uint8_t>(standard.concentration));
    }
    const std::string path = dir.file(name);
    master.save_xml(path.c_str());
    return path;
}
