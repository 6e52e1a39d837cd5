#include "analysis/Analysis_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/Input_text.h"
#include "analysis/Tracer_inputs.h"
#include "events/Lib_cpp.h"

namespace {

// How each figure is written for scripts: concentrations with the table's
// three decimals, the others (decimals < 0) in full precision.
struct Tcolumn {
    const char* header;
    const char* label;
    const char* words;  // in a sentence
    int decimals;
};

constexpr int EXACT = -1;

const Tcolumn COLUMNS[RESULT_COUNT] = {
    {"background_ppb", "Background (ppb)", "background", 3},
    {"first_arrival_s", "First arrival (s)", "first arrival", EXACT},
    {"peak_time_s", "Peak time (s)", "peak time", EXACT},
    {"peak_ppb", "Peak above background (ppb)", "peak", 3},
    {"mass_g", "Recovered mass (g)", "recovered mass", EXACT},
    {"recovery_percent", "Recovery (%)", "recovery", EXACT},
    {"mean_residence_s", "Mean residence time (s)", "mean residence time", EXACT},
    {"variance_s2", "Variance (s2)", "variance", EXACT},
    {"velocity_first_m_s", "Velocity at first arrival (m/s)", "velocity at first arrival", EXACT},
    {"velocity_peak_m_s", "Velocity at peak (m/s)", "velocity at peak", EXACT},
    {"velocity_mean_m_s", "Mean velocity (m/s)", "mean velocity", EXACT},
    {"dispersion_m2_s", "Longitudinal dispersion (m2/s)", "dispersion", EXACT},
    {"dispersivity_m", "Dispersivity (m)", "dispersivity", EXACT},
    {"peclet", "Peclet number", "Peclet number", EXACT},
};

constexpr size_t LABEL_WIDTH = 36;
constexpr size_t VALUE_WIDTH = 24;
constexpr int SHOWN_DIGITS = 4;  // significant digits for people
constexpr int UNIT_DIGITS = 3;   // of a time also in h or d
constexpr double HOUR_S = 3600.0;
constexpr double DAY_S = 86400.0;
constexpr double SMALLEST_FIXED = 1e-4;  // smaller figures in scientific notation

const char CURVE_END_LABEL[] = "End of the curve (s)";
const char BACKGROUND_SD_LABEL[] = "Background standard deviation (ppb)";

// The shortest text in fixed notation that reads back as the same number:
// no exponent for a script to trip over.
std::string full_precision_text(double value)
{
    char text[400];  // a double's largest value in fixed notation
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr);
}

// "2.000e9": digits significant digits, the exponent without sign or zeros.
std::string scientific_text(double value, int digits)
{
    char text[64];
    std::string s(text, std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1).ptr);
    const size_t e = s.find('e');
    std::string exponent = s.substr(e + 1);
    const bool negative = exponent.front() == '-';
    exponent.erase(0, exponent.find_first_not_of("+-0"));
    return s.substr(0, e + 1) + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

// digits significant digits in fixed notation ("100000", "0.01273"); very
// small values in scientific notation.
std::string fixed_significant_text(double value, int digits)
{
    if (value == 0.0)
        return "0";
    if (std::fabs(value) < SMALLEST_FIXED)
        return scientific_text(value, digits);
    const int exponent = int(std::floor(std::log10(std::fabs(value))));
    const double scale = std::pow(10.0, exponent - digits + 1);
    const double rounded = std::round(value / scale) * scale;
    const int shown = int(std::floor(std::log10(std::fabs(rounded))));
    return fixed_number_text(rounded, std::max(0, digits - 1 - shown));
}

// A time in seconds, and beyond two hours also in h, beyond two days in d.
std::string duration_text(double seconds)
{
    std::string text = fixed_significant_text(seconds, SHOWN_DIGITS);
    if (std::fabs(seconds) > 2 * DAY_S)
        text += " (" + fixed_significant_text(seconds / DAY_S, UNIT_DIGITS) + " d)";
    else if (std::fabs(seconds) > 2 * HOUR_S)
        text += " (" + fixed_significant_text(seconds / HOUR_S, UNIT_DIGITS) + " h)";
    return text;
}

bool is_time(Tresult result)
{
    return result == RESULT_FIRST_ARRIVAL || result == RESULT_PEAK_TIME || result == RESULT_MEAN_RESIDENCE;
}

bool is_velocity(Tresult result)
{
    return result == RESULT_VELOCITY_FIRST || result == RESULT_VELOCITY_PEAK || result == RESULT_VELOCITY_MEAN;
}

Tdisplay_cell display_cell(const Tfigure& figure, std::string text)
{
    return {figure.has_value() ? std::move(text) : "-", figure.state, figure.reason};
}

// The label, then each cell right-aligned in its column.
void append_table_line(std::string label, const std::vector<std::string>& cells, std::string* text)
{
    label.resize(LABEL_WIDTH, ' ');
    *text += label;
    for (const std::string& cell : cells)
        *text += std::string(cell.size() < VALUE_WIDTH ? VALUE_WIDTH - cell.size() : 0, ' ') + cell;
    *text += "\n";
}

std::string state_name(Tfigure_state state)
{
    return state == Tfigure_state::provisional ? "provisional" : "not available";
}

// The table of figures, its label column first.
void append_figures(const std::vector<Tlamp_analysis>& lamps, std::string* text)
{
    std::vector<std::string> cells;
    for (const Tlamp_analysis& lamp : lamps)
        cells.push_back(std::string(tracer_lamp_name(lamp.lamp)) + "  ");
    append_table_line("Lamp", cells, text);
    std::vector<std::vector<Tdisplay_cell>> columns;
    for (const Tlamp_analysis& lamp : lamps)
        columns.push_back(analysis_display_cells(lamp));
    const std::vector<std::string> labels = analysis_display_labels();
    for (size_t line = 0; line < labels.size(); ++line) {
        cells.clear();
        for (const std::vector<Tdisplay_cell>& column : columns)
            cells.push_back(column[line].text + (column[line].state == Tfigure_state::provisional ? " *" : "  "));
        append_table_line(labels[line], cells, text);
    }
}

// Every input under its caption, "not given" for those left empty.
void append_inputs(const Ttracer_inputs& inputs, std::string* text)
{
    for (const auto& [name, value] : tracer_inputs_fields(inputs)) {
        std::string shown = value.empty() ? "not given" : value;
        if (name == "injection" && !value.empty())
            shown = utc_date_text(inputs.injection_utc) + " UTC";
        *text += tracer_input_caption(name) + ": " + shown + "\n";
    }
}

const char WHY_HEADING[] = "* provisional, - not available; why:\n";

// "a", "a and b", "a, b and c"; with a separator, every item joined by it.
std::string listed(const std::vector<std::string>& items, const char* separator = nullptr)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += separator ? separator : i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

// The figures of a group in words, the three velocities as one, and the
// verb: "recovered mass and recovery are provisional". A group of every
// figure, or of every one beyond the background, is said as such.
std::string group_clause(const bool (&group)[RESULT_COUNT], Tfigure_state state)
{
    const bool* const end = group + RESULT_COUNT;
    if (std::all_of(group, end, [](bool in) { return in; }))
        return state == Tfigure_state::provisional ? "every figure is provisional" : "no figure is available";
    if (!group[RESULT_BACKGROUND] && std::all_of(group + RESULT_FIRST_ARRIVAL, end, [](bool in) { return in; }))
        return std::string("every figure beyond the background is ") + state_name(state);
    const bool velocities = group[RESULT_VELOCITY_FIRST] && group[RESULT_VELOCITY_PEAK] && group[RESULT_VELOCITY_MEAN];
    std::vector<std::string> words;
    for (int result = 0; result < RESULT_COUNT; ++result) {
        if (!group[result] || (velocities && (result == RESULT_VELOCITY_PEAK || result == RESULT_VELOCITY_MEAN)))
            continue;
        words.push_back(velocities && result == RESULT_VELOCITY_FIRST ? "velocities" : COLUMNS[result].words);
    }
    const bool plural = words.size() > 1 || words.front() == "velocities";
    return listed(words) + (plural ? " are " : " is ") + state_name(state);
}

}  // namespace

void analysis_reasons_text(const Tlamp_analysis& lamp, std::string* text)
{
    std::vector<std::string> clauses;
    bool told[RESULT_COUNT] = {};
    for (int result = 0; result < RESULT_COUNT; ++result) {
        const Tfigure& figure = lamp.figures[result];
        if (told[result] || figure.state == Tfigure_state::available)
            continue;
        bool group[RESULT_COUNT] = {};
        for (int other = result; other < RESULT_COUNT; ++other) {
            const Tfigure& same = lamp.figures[other];
            group[other] = !told[other] && same.state == figure.state && same.reason == figure.reason;
            told[other] = told[other] || group[other];
        }
        clauses.push_back(group_clause(group, figure.state) + " (" + figure.reason + ")");
    }
    if (!clauses.empty())
        *text += std::string("Lamp ") + tracer_lamp_name(lamp.lamp) + ": " + listed(clauses, "; ") + ".\n";
}

void analysis_why_text(const std::vector<Tlamp_analysis>& lamps, std::string* text)
{
    if (lamps.empty()) {
        *text += NO_LAMP_TEXT;
        return;
    }
    std::string reasons;
    for (const Tlamp_analysis& lamp : lamps)
        analysis_reasons_text(lamp, &reasons);
    *text += reasons.empty() ? std::string("Every figure is available.\n") : WHY_HEADING + reasons;
}

const char* result_label(Tresult result) { return COLUMNS[result].label; }

std::string figure_text(const Tfigure& figure, Tresult result)
{
    if (!figure.has_value())
        return "-";
    const int decimals = COLUMNS[result].decimals;
    return decimals == EXACT ? full_precision_text(figure.value) : fixed_number_text(figure.value, decimals);
}

std::string figure_display_text(const Tfigure& figure, Tresult result)
{
    if (!figure.has_value())
        return "-";
    const double v = figure.value;
    if (result == RESULT_VARIANCE)
        return scientific_text(v, SHOWN_DIGITS);
    if (is_time(result))
        return duration_text(v);
    if (is_velocity(result))
        return fixed_significant_text(v, SHOWN_DIGITS) + " (" + fixed_significant_text(v * HOUR_S, SHOWN_DIGITS) +
               " m/h)";
    return fixed_significant_text(v, SHOWN_DIGITS);
}

std::vector<std::string> analysis_display_labels()
{
    std::vector<std::string> labels;
    for (int result = 0; result < RESULT_COUNT; ++result) {
        labels.push_back(COLUMNS[result].label);
        if (result == RESULT_BACKGROUND)
            labels.push_back(BACKGROUND_SD_LABEL);
        if (result == RESULT_PEAK_PPB)
            labels.push_back(CURVE_END_LABEL);
    }
    return labels;
}

std::vector<Tdisplay_cell> analysis_display_cells(const Tlamp_analysis& lamp)
{
    std::vector<Tdisplay_cell> cells;
    for (int result = 0; result < RESULT_COUNT; ++result) {
        const Tfigure& figure = lamp.figures[result];
        cells.push_back(display_cell(figure, figure_display_text(figure, Tresult(result))));
        if (result == RESULT_BACKGROUND)
            cells.push_back(display_cell(figure.has_value() ? Tfigure::of(lamp.background_sd) : figure,
                                         fixed_significant_text(lamp.background_sd, SHOWN_DIGITS)));
        if (result == RESULT_PEAK_PPB)
            cells.push_back(display_cell(lamp.curve_end, duration_text(lamp.curve_end.value)));
    }
    return cells;
}

const char NO_LAMP_TEXT[] =
    "No lamp to analyse: the dye has arrived on none, and no lamp has an injected mass.\n";

const char ANALYSIS_MODEL_NOTE[] =
    "Dispersion and Peclet number: flux concentration of an instantaneous injection in an infinite medium,\n"
    "Pe = 2 t^2 / s^2 (t mean residence time, s^2 variance). A closed-vessel interpretation of the same\n"
    "curve gives a lower Peclet number: about 11 % lower at Pe 10, 5 % at Pe 20.\n";

void analysis_results_text(const std::vector<Tlamp_analysis>& lamps, std::string* text)
{
    *text = "lamp";
    for (const Tcolumn& column : COLUMNS)
        *text += std::string(";") + column.header;
    *text += "\r\n";
    for (const Tlamp_analysis& lamp : lamps) {
        *text += tracer_lamp_name(lamp.lamp);
        for (int result = 0; result < RESULT_COUNT; ++result)
            *text += ";" + figure_text(lamp.figures[result], Tresult(result));
        *text += "\r\n";
    }
}

std::string tracer_test_title(const Ttracer_inputs& inputs)
{
    std::string title = "Tracer test";
    if (!inputs.site.empty())
        title += " at " + inputs.site;
    if (!is_undefined_double(inputs.injection_utc))
        title += ", injection " + utc_date_text(inputs.injection_utc) + " UTC";
    return title;
}

void analysis_table_text(const Treport_sources& sources, const Ttracer_inputs& inputs,
                         const std::vector<Tlamp_analysis>& lamps, std::string* text)
{
    *text = tracer_test_title(inputs) + "\n\n";
    *text += "Table: " + (sources.table.empty() ? std::string("not known") : sources.table) + "\n";
    *text += "Constants: " + (sources.constants.empty() ? std::string("not known") : sources.constants) + "\n";
    append_inputs(inputs, text);
    *text += "\n";
    if (!lamps.empty())
        append_figures(lamps, text);
    *text += "\n";
    analysis_why_text(lamps, text);
    *text += std::string("\n") + ANALYSIS_MODEL_NOTE;
}
