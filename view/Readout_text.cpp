#include "view/Readout_text.h"

#include "analysis/Input_text.h"
#include "events/Lib_cpp.h"
#include "view/Chart_plan.h"
#include "view/Measure_table.h"
#include "view/Vorn_lumo.h"

namespace {

const char* const PLAIN_CAPTIONS[READOUT_CELLS] = {"ppb A", "ppb B", "ppb C", "NTU"};
const char* const NO_VALUE = "---";
constexpr int TABLE_DECIMALS = 3;

Treadout_cell value_cell(int result, float value)
{
    Treadout_cell cell;
    if (is_undefined(value)) cell.value = NO_VALUE;
    else if ((cell.at_floor = at_conversion_floor(result, value)))
        cell.value = "< " + exact_number_text(CONVERSION_FLOORS[result]);
    else cell.value = fixed_number_text(value, TABLE_DECIMALS);
    return cell;
}

}  // namespace

std::array<Treadout_cell, READOUT_CELLS> readout_cells(const Tmeasure_row* newest, const Tvorn_lumo& constants)
{
    const Tchart_plan plan = chart_plan(constants);
    std::array<Treadout_cell, READOUT_CELLS> cells;
    for (int result = 0; result < READOUT_CELLS; ++result) {
        const float undefined = undefined_float();
        const float value = !newest ? undefined : result < 3 ? newest->ppb[result] : newest->ntu;
        cells[size_t(result)] = value_cell(result, value);
        cells[size_t(result)].caption = plan.concentrations ? plan.name[result] : PLAIN_CAPTIONS[result];
    }
    return cells;
}
