#pragma once
#include <string>
#include <vector>

#include "analysis/Tracer_analysis.h"

struct Ttracer_inputs;

// The results for scripts: the header line, then one line per lamp, cells
// separated by ";" (no ";" after the last), CR LF; "-" for a figure not
// available. A provisional figure is written as a number: the printed
// table tells it apart.
void analysis_results_text(const std::vector<Tlamp_analysis>& lamps, std::string* text);

// What a report's figures come from: the table or journal, and the
// calibration constants its concentrations were converted with; "" when
// not known.
struct Treport_sources {
    std::string table;
    std::string constants;
};

// "Tracer test at <site>, injection dd.mm.yyyy hh:mm:ss UTC", without what
// is not given: the title of the report and of its chart.
std::string tracer_test_title(const Ttracer_inputs& inputs);

// The results for people: the title, the sources and every input, then one
// line per display label, one column per lamp, "*" behind a provisional
// figure, "-" for one not available, and below the table why, per lamp,
// and the model note. Lines end with LF, as printed.
void analysis_table_text(const Treport_sources& sources, const Ttracer_inputs& inputs,
                         const std::vector<Tlamp_analysis>& lamps, std::string* text);

// The text of one figure in the results for scripts.
std::string figure_text(const Tfigure& figure, Tresult result);
// The text of one figure for people: four significant digits, the variance
// in scientific notation ("2.000e9"), times beyond 2 h also in h and beyond
// 2 days in d ("100000 (27.8 h)"), velocities also in m/h; "-" when not
// available.
std::string figure_display_text(const Tfigure& figure, Tresult result);

// The lines of the table for people: every figure, the background's
// standard deviation after the background and the end of the curve after
// the peak; a lamp's cells in the same order.
struct Tdisplay_cell {
    std::string text;
    Tfigure_state state;
    std::string reason;
};
std::vector<std::string> analysis_display_labels();
std::vector<Tdisplay_cell> analysis_display_cells(const Tlamp_analysis& lamp);
// The model behind the dispersion and the Peclet number, for people.
extern const char ANALYSIS_MODEL_NOTE[];
// "Recovered mass (g)" and the like.
const char* result_label(Tresult result);
// Appends one sentence on the lamp's figures that are provisional or not
// available, with each reason, when it has any: "Lamp A: recovered mass and
// recovery are provisional (the curve has not come back ...); velocities,
// dispersion, dispersivity and Peclet number are not available (no
// distance given).".
void analysis_reasons_text(const Tlamp_analysis& lamp, std::string* text);
// Below the figures: why, per lamp, with its heading; that every figure is
// available; or NO_LAMP_TEXT.
void analysis_why_text(const std::vector<Tlamp_analysis>& lamps, std::string* text);
// When no lamp is analysed (no arrival, no injected mass).
extern const char NO_LAMP_TEXT[];
