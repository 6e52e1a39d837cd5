#pragma once
#include "calibration/Lumo_sample.h"
#include "events/List.h"

class Tmy_string;

constexpr int SAMPLE_TABLE_ROWS = 4;     // lamp groups: T (water), A, B, C
constexpr int SAMPLE_TABLE_COLUMNS = 4;  // levels 0, 1, 10, 100

// The stored calibration samples, filed by lamp group (row) and level
// (column). The table owns its samples; destroying it deletes them.
struct sample_table {
    Ttyped_list<Tlumo_sample> cell[SAMPLE_TABLE_ROWS][SAMPLE_TABLE_COLUMNS];

    sample_table() = default;
    ~sample_table();
    sample_table(const sample_table&) = delete;
    sample_table& operator=(const sample_table&) = delete;
};

// A new empty table; the caller deletes it.
sample_table* sample_table_create();
// Empties every list and deletes the samples.
void sample_table_clear(sample_table* table);
// Files the sample by its codes under the configuration (1 "I,II,III",
// 2 "I,II,V"). Returns true when stored: the table then owns the sample;
// otherwise the caller still does.
bool sample_table_add(sample_table* table, Tlumo_sample* sample, int configuration);
// Deletes the sample at index in table order; false when there is none.
bool sample_table_remove(sample_table* table, int index);
// The samples of one standard: the same tracer and concentration codes.
int sample_table_count_standard(const sample_table* table, int tracer, int concentration);
// Deletes them; returns how many there were.
int sample_table_remove_standard(sample_table* table, int tracer, int concentration);
// Empties *out without deleting its items, then appends every sample in
// table order (rows, then columns, then insertion), without ownership.
int sample_table_collect(const sample_table* table, Tlist* out);
// One log line per sample, in table order.
void sample_table_dump(const sample_table* table);
// Appends each sample's element as "    %s\n"; with null, logs "    %s" lines.
void sample_table_write_xml(const sample_table* table, Tmy_string* out);

// Row of a tracer code under a configuration, column of a concentration
// code; -1 when there is none.
int sample_table_row(int tracer, int configuration);
int sample_table_column(int concentration);
// 'T', 'A', 'B', 'C' for rows 0-3.
char sample_table_row_letter(int row);
// "  0", "  1", " 10", "100" for columns 0-3.
const char* sample_table_level_text(int column);
