#pragma once
#include <string>
#include <vector>

// lumo2-tool: the program's file and stream operations on the command line.
// Each subcommand takes its words (without the subcommand's name) and
// returns its exit status; what it prints is collected in Ttool_output.

using Ttool_args = std::vector<std::string>;

struct Ttool_output {
    std::string out;  // standard output
    std::string err;  // standard error
};

enum Ttool_status {
    TOOL_OK = 0,
    TOOL_PROBLEMS = 1,      // decode: rejected frames, lines without a reading, bytes without an end
    TOOL_BAD_INPUT = 2,     // usage, unreadable or malformed files, refused constants
    TOOL_RULES_FAILED = 3,  // calc: the calibration breaks validity rules
};

// The whole command line after the program's name.
int tool_main(const Ttool_args& args, Ttool_output* io);

int tool_calc(const Ttool_args& args, Ttool_output* io);
int tool_reconvert(const Ttool_args& args, Ttool_output* io);
int tool_convert(const Ttool_args& args, Ttool_output* io);
int tool_decode(const Ttool_args& args, Ttool_output* io);
int tool_analyze(const Ttool_args& args, Ttool_output* io);

const char* tool_help();
