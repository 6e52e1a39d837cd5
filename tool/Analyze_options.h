#pragma once
#include <string>

#include "analysis/Logger_file.h"
#include "analysis/Tracer_inputs.h"
#include "events/Time_zone.h"
#include "tool/Tool_args.h"

// What lumo2-tool analyze's words ask for.
struct Tanalyze_options {
    Ttool_command_line line;
    Ttracer_inputs inputs;
    Ttime_zone zone;           // of times without an offset
    bool logger_file = false;  // another logger's export, not this program's table
    Tlogger_columns columns;
};

// The words parsed and read; false, with the usage fault.
bool read_analyze_options(const Ttool_args& args, Tanalyze_options* options, std::string* error);
