#pragma once
#include <string>

#include "publish/Publish_target.h"
#include "tool/Tool.h"

// What "lumo2-tool record" is asked to do.
struct Trecord_options {
    bool help = false;
    int port = 0;                // COM<port>, 1 to 255
    unsigned char lamps = 0x0F;  // the request's lamp bits: A 1, B 2, C 4, T 8
    int period_ms = 10000;       // from one request to the next, whole tenths of a second
    unsigned long count = 0;     // rows to record; 0: until stopped
    std::string constants;       // calibration constants file; empty: none
    std::string table;           // the saved table to write or continue
    bool verbose = false;        // the log lines go to standard error
    Tpublish_options publish;    // url empty: rows are not published
};

// False, with the complaint in *error, for an unknown, missing or malformed
// option. With "--help" among the words only options->help is set.
bool read_record_options(const Ttool_args& args, Trecord_options* options, std::string* error);
