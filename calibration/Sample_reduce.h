#pragma once

struct sample_table;

// The reductions the calibration calculator makes of the stored samples.
// lamp is a Tlamp_index (LAMP_A ... LAMP_T). Deltas whose lamp was not read
// are left out; with nothing left the result is undefined_double().

// The smallest delta of the lamp over every sample of the table.
double sample_table_minimum(const sample_table* table, int lamp);
// The mean delta of the lamp over one list: group 'T' (water and turbidity),
// 'A', 'B' or 'C'; level 0, 1, 10 or 100 (truncated to an integer).
double sample_table_average(const sample_table* table, char group, int lamp, double level);
