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
    // Series FLOOR_SERIES + lamp: the lamp's values at the conversion's
    // floor, drawn as marks below which the value lies, not as a line.
    static constexpr int FLOOR_SERIES = SERIES;
    static constexpr int DRAWN_SERIES = 2 * SERIES;

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

// Whether a series' value of the row is a concentration or turbidity at the
// conversion's floor.
bool chart_at_floor(const Tchart_plan& plan, const Tmeasure_row& row, int series);

// True when the chart is to be saved as PDF (a name ending in ".pdf", any
// case); PNG otherwise.
bool chart_file_is_pdf(const char* path);
