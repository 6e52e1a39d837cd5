#include "calibration/Sample_table.h"

#include "events/My_string.h"
#include "view/Codes.h"

namespace {

// Calls visit(row, column, sample) for every sample in table order.
template <typename Visit>
void for_each_sample(const sample_table* table, Visit visit) {
    for (int row = 0; row < SAMPLE_TABLE_ROWS; ++row)
        for (int column = 0; column < SAMPLE_TABLE_COLUMNS; ++column) {
            const Ttyped_list<Tlumo_sample>& list = table->cell[row][column];
            const int count = list.count();
            for (int i = 0; i < count; ++i)
                visit(row, column, list.at(i));
        }
}

// Deletes every sample for which remove(sample) holds; returns how many.
template <typename Remove>
int remove_samples(sample_table* table, Remove remove) {
    int removed = 0;
    for (auto& row : table->cell)
        for (auto& list : row)
            for (int i = list.count() - 1; i >= 0; --i)
                if (remove(list.at(i))) {
                    delete static_cast<Tlumo_sample*>(list.take_at(i));
                    ++removed;
                }
    return removed;
}

bool same_standard(const Tlumo_sample* sample, int tracer, int concentration) {
    return sample->tracer == tracer && sample->concentration == concentration;
}

}  // namespace

sample_table::~sample_table() { sample_table_clear(this); }

sample_table* sample_table_create() { return new sample_table; }

void sample_table_clear(sample_table* table) {
    if (!table)
        return;
    for (auto& row : table->cell)
        for (auto& list : row)
            list.clear(true);
}

int sample_table_row(int tracer, int configuration) {
    if (configuration != CONFIG_I_II_III && configuration != CONFIG_I_II_V)
        return -1;
    switch (tracer) {
    case TRACER_WATER: return 0;
    case TRACER_URANINE:
    case TRACER_EOSINE: return 1;
    case TRACER_SULFORHODAMINE_B: return 2;
    case TRACER_AMINO_G_ACID: return configuration == CONFIG_I_II_III ? 3 : -1;
    case TRACER_NAPHTIONATE: return configuration == CONFIG_I_II_V ? 3 : -1;
    default: return -1;
    }
}

int sample_table_column(int concentration) {
    switch (concentration) {
    case CONCENTRATION_0_NTU: return 0;
    case CONCENTRATION_1_NTU: return 1;
    case CONCENTRATION_10_NTU:
    case CONCENTRATION_10_PPB: return 2;
    case CONCENTRATION_100_NTU:
    case CONCENTRATION_100_PPB: return 3;
    default: return -1;
    }
}

char sample_table_row_letter(int row) { return row >= 0 && row < SAMPLE_TABLE_ROWS ? "TABC"[row] : '?'; }

const char* sample_table_level_text(int column) {
    static const char* const levels[SAMPLE_TABLE_COLUMNS] = {"  0", "  1", " 10", "100"};
    return column >= 0 && column < SAMPLE_TABLE_COLUMNS ? levels[column] : "???";
}

bool sample_table_add(sample_table* table, Tlumo_sample* sample, int configuration) {
    if (!table || !sample)
        return false;
    const int row = sample_table_row(sample->tracer, configuration);
    const int column = sample_table_column(sample->concentration);
    if (row < 0 || column < 0)
        return false;
    table->cell[row][column].append(sample);
    return true;
}

bool sample_table_remove(sample_table* table, int index) {
    if (!table || index < 0)
        return false;
    Tlist samples;
    if (index >= sample_table_collect(table, &samples))
        return false;
    const void* doomed = samples.item_at(index);
    return remove_samples(table, [doomed](const Tlumo_sample* sample) { return sample == doomed; }) == 1;
}

int sample_table_count_standard(const sample_table* table, int tracer, int concentration) {
    int count = 0;
    if (table)
        for_each_sample(table, [&](int, int, const Tlumo_sample* sample) {
            count += same_standard(sample, tracer, concentration) ? 1 : 0;
        });
    return count;
}

int sample_table_remove_standard(sample_table* table, int tracer, int concentration) {
    if (!table)
        return 0;
    return remove_samples(table,
                          [&](const Tlumo_sample* sample) { return same_standard(sample, tracer, concentration); });
}

int sample_table_collect(const sample_table* table, Tlist* out) {
    if (!out)
        return 0;
    out->clear(false);
    if (!table)
        return 0;
    int count = 0;
    for_each_sample(table, [&](int, int, Tlumo_sample* sample) {
        out->append(sample);
        ++count;
    });
    return count;
}

void sample_table_dump(const sample_table* table) {
    if (!table)
        return;
    for_each_sample(table, [](int row, int column, Tlumo_sample* sample) {
        log_printf("[%c] %s   %0.3f %0.3f %0.3f %0.3f ", sample_table_row_letter(row),
                   sample_table_level_text(column), sample->delta[LAMP_A], sample->delta[LAMP_B],
                   sample->delta[LAMP_C], sample->delta[LAMP_T]);
    });
}

void sample_table_write_xml(const sample_table* table, Tmy_string* out) {
    if (!table)
        return;
    Tmy_string element;
    for_each_sample(table, [&](int, int, Tlumo_sample* sample) {
        sample->to_xml(&element);
        if (out)
            out->appendFormat("    %s\n", element.c_str());
        else
            log_printf("    %s", element.c_str());
    });
}
