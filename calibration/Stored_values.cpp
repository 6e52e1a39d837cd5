#include "calibration/Stored_values.h"

#include "app/Gui.h"
#include "calibration/Sample_table.h"
#include "events/My_string.h"
#include "view/Codes.h"

namespace {

Tstored_values_observer stored_values_observer = nullptr;

}  // namespace

std::vector<Tstored_values_row> stored_values_rows(const sample_table* table)
{
    std::vector<Tstored_values_row> rows;
    if (table == nullptr)
        return rows;
    rows.push_back({"Traceur", "Concentration", "delta A", "delta B", "delta C", "delta T"});
    Tlist samples;
    const int count = sample_table_collect(table, &samples);
    Tmy_string number;
    for (int index = 0; index < count; ++index) {
        const auto* sample = static_cast<const Tlumo_sample*>(samples.item_at(index));
        Tstored_values_row row;
        row[0] = tracer_name(sample->tracer);
        row[1] = concentration_name(sample->concentration);
        for (int lamp = LAMP_A; lamp < LAMP_COUNT; ++lamp) {
            number.format("%0.3f", sample->delta[lamp]);
            row[2 + lamp] = number.c_str();
        }
        rows.push_back(row);
    }
    return rows;
}

void set_stored_values_observer(Tstored_values_observer observer)
{
    stored_values_observer = observer;
}

void fill_stored_values_grid(const sample_table* table)
{
    if (bridge_state().current_mode == MODE_CALIBRATION && stored_values_observer != nullptr)
        stored_values_observer(table);
}
