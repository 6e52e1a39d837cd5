#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "view/Measure_table.h"

// A measurement table as the view window saves it: the header line, then
// one line per measurement, every cell followed by ";", lines ended by
// CR LF (a bare LF is read as well).
using Ttool_table_row = std::array<std::string, Tmeasure_table::COLUMNS>;

// False, with the line and the fault in *error, when the text is not such a
// table: a different header, a line with another number of cells, an empty
// line between rows.
bool tool_read_table(std::string_view text, std::vector<Ttool_table_row>* rows, std::string* error);
// The header line and the rows in the saved form.
void tool_write_table(const std::vector<Ttool_table_row>& rows, std::string* text);

// A delta cell: "-" gives undefined_float(), a number its single-precision
// value. False for anything else.
bool tool_read_delta(const std::string& cell, float* value);
