#pragma once
#include <functional>
#include <string>
#include <vector>

// lumo2-tool: the program's file and stream operations on the command line.
// Each subcommand takes its words (without the subcommand's name) and
// returns its exit status; what it prints is collected in Ttool_output.

using Ttool_args = std::vector<std::string>;

struct Ttool_output {
    std::string out;  // standard output
    std::string err;  // standard error
    // Set by the program: writes out and err and empties them. A command
    // that runs for long calls show_now to show what it has at once;
    // without the hook everything is shown when the command returns.
    std::function<void(Ttool_output*)> flush;
    void show_now()
    {
        if (flush) flush(this);
    }
};

enum Ttool_status {
    TOOL_OK = 0,
    TOOL_PROBLEMS = 1,      // decode: rejected frames, lines without a reading, bytes without an end
    TOOL_BAD_INPUT = 2,     // usage, unreadable or malformed files, refused constants
    TOOL_RULES_FAILED = 3,  // calc: the calibration breaks validity rules
    TOOL_NO_FIGURES = 3,    // analyze: no figure beyond the background for any lamp
    TOOL_PORT_FAILED = 4,   // record: the port cannot be opened or went away
    TOOL_WRITE_FAILED = 5,  // record: the table could not be written during the run
};

// The whole command line after the program's name.
int tool_main(const Ttool_args& args, Ttool_output* io);

int tool_calc(const Ttool_args& args, Ttool_output* io);
int tool_reconvert(const Ttool_args& args, Ttool_output* io);
int tool_convert(const Ttool_args& args, Ttool_output* io);
int tool_decode(const Ttool_args& args, Ttool_output* io);
int tool_record(const Ttool_args& args, Ttool_output* io);
int tool_analyze(const Ttool_args& args, Ttool_output* io);

const char* tool_help();
