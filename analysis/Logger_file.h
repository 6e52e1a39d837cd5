#pragma once
#include <string>
#include <string_view>

#include "analysis/Tracer_analysis.h"

class Ttime_zone;

// Which columns of another logger's export hold what: the time's and, per
// lamp, the concentration's (ppb); an empty name leaves the lamp out.
struct Tlogger_columns {
    std::string time;
    std::string lamp[TRACER_LAMPS];
};

// A delimited text with one header line: the separator is the header's
// ";", else its tab, else ","; cells may be quoted with '"'. Numbers take a
// decimal point, or a decimal comma when the separator is not ","; an empty
// cell is no value. Times as parse_zoned_time_text reads them, a time
// without an offset being in the zone. A line with more cells than the header (but empty
// ones) is refused, so that a decimal comma in a "," file is not misread.
// Empty lines are skipped. False, with
// "line N: " and the fault, for a column named that is not in the header, a
// time or a value that does not read, or a file without rows.
bool read_logger_file(std::string_view text, const Tlogger_columns& columns, const Ttime_zone& zone,
                      Tlamp_series* series, std::string* error);
