#include "view/Chart_plan.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "events/Lib_cpp.h"
#include "view/Codes.h"
#include "view/Measure_table.h"
#include "view/Vorn_lumo.h"

const char* const CHART_TIME_TITLE = "Date (UTC)";

namespace {

const char LAMP_LETTERS[] = "ABCT";

// "ppb A (Uranine)" when the constants name a known tracer for the lamp,
// else "ppb A". Tracer i of the constants is sample i (0 is the water).
std::string concentration_name(const Tvorn_lumo& constants, int lamp)
{
    std::string name = std::string("ppb ") + LAMP_LETTERS[lamp];
    const unsigned char code = tracer_code(constants.dyename[lamp + 1].c_str());
    if (code > 1) name += std::string(" (") + tracer_name(code) + ")";
    return name;
}

}  // namespace

Tchart_plan chart_plan(const Tvorn_lumo& constants)
{
    Tchart_plan plan;
    plan.concentrations = constants.valid != 0;
    if (plan.concentrations) {
        for (int lamp = 0; lamp < 3; ++lamp) plan.name[lamp] = concentration_name(constants, lamp);
        plan.name[3] = "NTU";
        plan.left_title = "Concentration (ppb)";
        plan.right_title = "Turbidity (NTU)";
        return plan;
    }
    for (int lamp = 0; lamp < Tchart_plan::SERIES; ++lamp) plan.name[lamp] = std::string("delta ") + LAMP_LETTERS[lamp];
    plan.left_title = "Lamp delta (mV), no calibration constants loaded";
    plan.right_title = "delta T (mV)";
    return plan;
}

double chart_value(const Tchart_plan& plan, const Tmeasure_row& row, int series, bool logarithmic)
{
    float value = row.delta[series];
    if (plan.concentrations) value = series < 3 ? row.ppb[series] : row.ntu;
    if (is_undefined(value) || !std::isfinite(value) || (logarithmic && value <= 0))
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

bool chart_at_floor(const Tchart_plan& plan, const Tmeasure_row& row, int series)
{
    return plan.concentrations && at_conversion_floor(series, series < 3 ? row.ppb[series] : row.ntu);
}

bool chart_file_is_pdf(const char* path)
{
    const size_t length = path ? std::strlen(path) : 0;
    return length >= 4 && equal_ignore_case(path + length - 4, ".pdf") == 0;
}
