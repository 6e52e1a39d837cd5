#include "tool/Tool_conversion.h"

#include "events/My_string.h"
#include "link/Lumo_data.h"

namespace {

constexpr int PPB_A_COLUMN = 8;
constexpr int RESULT_COLUMNS = 4;

std::vector<std::string>* collected_lines = nullptr;

void collect_line(const char* line)
{
    if (collected_lines)
        collected_lines->push_back(line);
}

}  // namespace

bool Ttool_conversion::load(const char* path, std::vector<std::string>* messages)
{
    collected_lines = messages;
    set_log_sink(collect_line);
    master.load_calibration(path);
    set_log_sink(nullptr);
    collected_lines = nullptr;
    return master.constants.valid != 0;
}

void Ttool_conversion::convert(const float deltas[4], std::string cells[4])
{
    Tlumo_measure record;
    for (int lamp = 0; lamp < 4; ++lamp)
        record.delta[lamp] = deltas[lamp];
    master.convert(&record);
    master.table.table_clear();
    master.table.table_add(&record);
    Tmy_string cell;
    for (int column = 0; column < RESULT_COLUMNS; ++column) {
        master.table.cell_text(0, PPB_A_COLUMN + column, &cell);
        cells[column].assign(cell.c_str(), cell.length());
    }
}
