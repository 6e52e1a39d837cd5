#pragma once
#include <string>
#include <string_view>

// The message of one table row, as a JSON object:
// {"station":..., "seq":N, "time":UNIX_SECONDS, "utc":"YYYY-MM-DDTHH:MM:SSZ",
//  "delta_mV":{"A":..,"B":..,"C":..,"T":..}, "ppb":{"A":..,"B":..,"C":..},
//  "ntu":.., "temp_C":..}
// The numbers are the table cells' own text; a "-" cell is null. line is
// the row as the saved table holds it, without its line end. False, with
// the reason in *error, for a line that is not a row of the table.
bool row_message(std::string_view line, const std::string& station, unsigned long seq, std::string* json,
                 std::string* error);

// The timestamp cell of such a line; empty when the line has none.
std::string_view row_timestamp(std::string_view line);
