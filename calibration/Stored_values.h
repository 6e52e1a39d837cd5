#pragma once
#include <array>
#include <string>
#include <vector>

struct sample_table;

// The stored-values grid of the calibration window: the logic says when the
// samples changed, the window asks for the rows as texts.

constexpr int STORED_VALUES_COLUMNS = 6;
using Tstored_values_row = std::array<std::string, STORED_VALUES_COLUMNS>;

// Row 0 is the header ("Traceur", "Concentration", "delta A" ... "delta T"),
// then one row per sample in table order: tracer name, concentration name
// and the four deltas with three decimals. Nothing for a null table.
std::vector<Tstored_values_row> stored_values_rows(const sample_table* table);

// The window installs an observer that refills its grid from the table
// (null: just reset the grid to 6 columns and 2 rows).
using Tstored_values_observer = void (*)(const sample_table* table);
void set_stored_values_observer(Tstored_values_observer observer);

// Tells the observer the table changed; only in calibration mode.
void fill_stored_values_grid(const sample_table* table);
