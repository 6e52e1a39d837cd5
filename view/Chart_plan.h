#pragma once
#include <string>

struct Tmeasure_row;
class Tvorn_lumo;

// What the view window's chart draws of the measurement table: four series,
// lamps A, B, C against the left-hand axis and lamp T against its own
// right-hand axis. With valid calibration constants they are the
// concentrations (ppb) and the turbidity (NTU); without, the lamp deltas (mV).
struct Tchart_plan {
    static constexpr int SERIES = 4;
    static constexpr int RIGHT_AXIS_SERIES = 3;  // lamp T

    bool concentrations = false;
    std::string name[SERIES];
    std::string left_title;
    std::string right_title;

    bool operator==(const Tchart_plan&) const = default;
};

Tchart_plan chart_plan(const Tvorn_lumo& constants);

// The time axis shows the table's date column: UTC.
extern const char* const CHART_TIME_TITLE;

// The value a series draws for a row: NaN (a gap) for a missing value and,
// on a logarithmic axis, for one that is not positive.
double chart_value(const Tchart_plan& plan, const Tmeasure_row& row, int series, bool logarithmic);

// True when the chart is to be saved as PDF (a name ending in ".pdf", any
// case); PNG otherwise.
bool chart_file_is_pdf(const char* path);
