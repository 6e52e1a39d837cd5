#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "view/Measure_table.h"

// A saved measurement table's cells, to be changed and written again.
using Ttool_table_row = std::array<std::string, Tmeasure_table::COLUMNS>;

// False, with the line and the fault in *error, when the text is not a
// saved table (view/Saved_table.h).
bool tool_read_table(std::string_view text, std::vector<Ttool_table_row>* rows, std::string* error);
// The header line and the rows in the saved form.
void tool_write_table(const std::vector<Ttool_table_row>& rows, std::string* text);
