#include "analysis/Analysis_text.h"

#include <charconv>

#include "analysis/Input_text.h"
#include "analysis/Tracer_inputs.h"
#include "events/Lib_cpp.h"

namespace {

// How each figure is written: fixed decimals, or (decimals < 0) six
// significant digits for figures whose size varies over decades.
struct Tcolumn {
    const char* header;
    const char* label;
    int decimals;
};

constexpr int SIGNIFICANT = -1;

const Tcolumn COLUMNS[RESULT_COUNT] = {
    {"background_ppb", "Background (ppb)", 3},
    {"first_arrival_s", "First arrival (s)", 0},
    {"peak_time_s", "Peak time (s)", 0},
    {"peak_ppb", "Peak above background (ppb)", 3},
    {"mass_g", "Recovered mass (g)", SIGNIFICANT},
    {"recovery_percent", "Recovery (%)", 2},
    {"mean_residence_s", "Mean residence time (s)", 1},
    {"variance_s2", "Variance (s2)", 0},
    {"velocity_first_m_s", "Velocity at first arrival (m/s)", SIGNIFICANT},
    {"velocity_peak_m_s", "Velocity at peak (m/s)", SIGNIFICANT},
    {"velocity_mean_m_s", "Mean velocity (m/s)", SIGNIFICANT},
    {"dispersion_m2_s", "Longitudinal dispersion (m2/s)", SIGNIFICANT},
    {"dispersivity_m", "Dispersivity (m)", SIGNIFICANT},
    {"peclet", "Peclet number", SIGNIFICANT},
};

constexpr size_t LABEL_WIDTH = 36;
constexpr size_t VALUE_WIDTH = 16;

std::string significant_text(double value)
{
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr);
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

}  // namespace

void analysis_reasons_text(const Tlamp_analysis& lamp, std::string* text)
{
    bool told[RESULT_COUNT] = {};
    for (int result = 0; result < RESULT_COUNT; ++result) {
        const Tfigure& figure = lamp.figures[result];
        if (told[result] || figure.state == Tfigure_state::available)
            continue;
        std::string labels;
        for (int other = result; other < RESULT_COUNT; ++other) {
            const Tfigure& same = lamp.figures[other];
            if (told[other] || same.state != figure.state || same.reason != figure.reason)
                continue;
            told[other] = true;
            labels += std::string(labels.empty() ? "" : ", ") + COLUMNS[other].header;
        }
        *text += std::string(tracer_lamp_name(lamp.lamp)) + " " + state_name(figure.state) + " (" + labels +
                 "): " + figure.reason + "\n";
    }
}

const char* result_label(Tresult result) { return COLUMNS[result].label; }

std::string figure_text(const Tfigure& figure, Tresult result)
{
    if (!figure.has_value())
        return "-";
    const int decimals = COLUMNS[result].decimals;
    return decimals == SIGNIFICANT ? significant_text(figure.value) : fixed_number_text(figure.value, decimals);
}

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

void analysis_table_text(const Ttracer_inputs& inputs, const std::vector<Tlamp_analysis>& lamps, std::string* text)
{
    *text = "Injection: " +
            (is_undefined_double(inputs.injection_utc) ? std::string("not given")
                                                       : utc_date_text(inputs.injection_utc) + " UTC") +
            "\n\n";
    std::vector<std::string> cells;
    for (const Tlamp_analysis& lamp : lamps)
        cells.push_back(std::string(tracer_lamp_name(lamp.lamp)) + "  ");
    append_table_line("Lamp", cells, text);
    for (int result = 0; result < RESULT_COUNT; ++result) {
        cells.clear();
        for (const Tlamp_analysis& lamp : lamps) {
            const Tfigure& figure = lamp.figures[result];
            cells.push_back(figure_text(figure, Tresult(result)) +
                            (figure.state == Tfigure_state::provisional ? " *" : "  "));
        }
        append_table_line(COLUMNS[result].label, cells, text);
        if (result != RESULT_BACKGROUND)
            continue;
        cells.clear();
        for (const Tlamp_analysis& lamp : lamps)
            cells.push_back((lamp.figures[result].has_value() ? fixed_number_text(lamp.background_sd, 3) : "-") + "  ");
        append_table_line("Background standard deviation (ppb)", cells, text);
    }
    *text += "\n* provisional, - not available; why:\n";
    for (const Tlamp_analysis& lamp : lamps)
        analysis_reasons_text(lamp, text);
}
