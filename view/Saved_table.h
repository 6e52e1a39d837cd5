#pragma once
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "view/Measure_table.h"

// Reading a measurement table as "save" writes it: the header line, then
// one line per measurement, every cell followed by ";", lines ended by
// CR LF (a bare LF is read as well).
using Tsaved_cells = std::array<std::string_view, Tmeasure_table::COLUMNS>;

// Calls on_row with the cells of each line after the header, in order; a
// false from on_row, with its fault, ends the reading. False, with the line
// and the fault in *error, when the text is not such a table: a different
// header, a line with another number of cells, an empty line between rows.
bool read_saved_table(std::string_view text,
                      const std::function<bool(const Tsaved_cells& cells, std::string* fault)>& on_row,
                      std::string* error);

// The cells of one line without its line end; false, with the count found
// in *error, for a line of another number of cells.
bool split_saved_line(std::string_view line, Tsaved_cells* cells, std::string* error);

// A value cell: "-" gives the undefined marker, a number its
// single-precision value. False for anything else.
bool read_saved_value(std::string_view cell, float* value);

// The measurement a saved line holds; the date and GMT cells follow from
// the timestamp and are not read. False, with the column in *fault, when a
// cell holds no value of its kind.
bool read_measure_row(const Tsaved_cells& cells, Tmeasure_row* row, std::string* fault);
