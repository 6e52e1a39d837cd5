#include <string_view>

#include "analysis/Analysis_text.h"
#include "analysis/Discharge.h"
#include "analysis/Input_text.h"
#include "analysis/Tracer_analysis.h"
#include "analysis/Tracer_inputs.h"
#include "events/Lib_cpp.h"
#include "tool/Tool.h"
#include "tool/Tool_args.h"
#include "tool/Tool_files.h"
#include "view/Saved_table.h"

// lumo2-tool analyze: a tracer test's answers from a saved table or journal.

namespace {

// The measurements of a saved table or journal; false with the line and
// the fault in *error.
bool measure_rows(std::string_view text, std::vector<Tmeasure_row>* rows, std::string* error)
{
    rows->clear();
    return read_saved_table(
        text,
        [&](const Tsaved_cells& cells, std::string* fault) {
            return read_measure_row(cells, &rows->emplace_back(), fault);
        },
        error);
}

// "A=1000" into the lamp's entry of values; false with the fault.
bool read_lamp_value(const std::string& option, const std::string& text, double values[TRACER_LAMPS],
                     std::string* error)
{
    const size_t equals = text.find('=');
    const int lamp = tracer_lamp_of(std::string_view(text).substr(0, equals));
    double value = 0;
    if (equals == std::string::npos || !parse_number_text(std::string_view(text).substr(equals + 1), &value)) {
        *error = option + " takes LAMP=NUMBER, as in " + option + " A=1000";
        return false;
    }
    if (lamp < 0) {
        *error = option + ": unknown lamp \"" + text.substr(0, equals) + "\" (A, B or C)";
        return false;
    }
    values[lamp] = value;
    return true;
}

bool read_number_option(const Ttool_command_line& line, const char* option, double* value, std::string* error)
{
    const std::string* text = line.option(option);
    if (!text || parse_number_text(*text, value))
        return true;
    *error = std::string(option) + " takes a number (decimal point)";
    return false;
}

// The inputs from the options; false with the usage fault.
bool read_inputs(const Ttool_command_line& line, Ttracer_inputs* inputs, std::string* error)
{
    const std::string* injection = line.option("--injection");
    if (!injection || !parse_utc_text(*injection, &inputs->injection_utc)) {
        *error = "--injection takes the UTC time of the injection, \"dd.mm.yyyy hh:mm:ss\" or seconds";
        return false;
    }
    for (const std::string& text : line.repeated("--mass"))
        if (!read_lamp_value("--mass", text, inputs->mass_g, error))
            return false;
    for (const std::string& text : line.repeated("--background"))
        if (!read_lamp_value("--background", text, inputs->background_ppb, error))
            return false;
    if (!read_number_option(line, "--discharge", &inputs->discharge_l_s, error) ||
        !read_number_option(line, "--distance", &inputs->distance_m, error))
        return false;
    if (const std::string* file = line.option("--discharge-file"))
        inputs->discharge_file = *file;
    if (is_undefined_double(inputs->discharge_l_s) && inputs->discharge_file.empty()) {
        *error = "expects --discharge L/s or --discharge-file FILE";
        return false;
    }
    return tracer_inputs_check(*inputs, error);
}

// A journal being written, or one whose writer stopped mid-row, may end in
// a line without its line end: that row is left out, and the user told.
void drop_cut_off_row(const std::string& path, std::string* text, Ttool_output* io)
{
    const size_t end = text->rfind('\n');
    if (text->empty() || text->back() == '\n' || end == std::string::npos)
        return;
    text->resize(end + 1);
    tool_error(io, "analyze", path + ": the last line has no line end (cut off mid-row): left out");
}

bool rows_from(const std::vector<Tmeasure_row>& rows, double injection_utc)
{
    for (const Tmeasure_row& row : rows)
        if (double(static_cast<uint32_t>(row.timestamp)) >= injection_utc)
            return true;
    return false;
}

}  // namespace

int tool_analyze(const Ttool_args& args, Ttool_output* io)
{
    const char command[] = "analyze";
    Ttool_command_line line;
    std::string error;
    if (!line.parse(args, {"--injection", "--discharge", "--discharge-file", "--distance", "-o"}, &error,
                    {}, {"--mass", "--background"}))
        return tool_usage_error(io, command, error);
    if (line.wants_help()) {
        io->out += tool_help();
        return TOOL_OK;
    }
    Ttracer_inputs inputs;
    if (line.positional.size() != 1)
        return tool_usage_error(io, command, "expects one saved table or journal");
    if (!read_inputs(line, &inputs, &error))
        return tool_usage_error(io, command, error);

    const std::string& table_path = line.positional[0];
    std::string text;
    std::vector<Tmeasure_row> rows;
    if (!tool_read_file(table_path, &text)) {
        tool_error(io, command, "unable to read \"" + table_path + "\"");
        return TOOL_BAD_INPUT;
    }
    drop_cut_off_row(table_path, &text, io);
    if (!measure_rows(text, &rows, &error)) {
        tool_error(io, command, table_path + ": " + error);
        return TOOL_BAD_INPUT;
    }
    if (!rows_from(rows, inputs.injection_utc)) {
        tool_error(io, command, table_path + ": no rows from the injection (" + utc_date_text(inputs.injection_utc) +
                                    " UTC) on");
        return TOOL_BAD_INPUT;
    }
    Tdischarge discharge;
    if (inputs.discharge_file.empty())
        discharge.set_constant(inputs.discharge_l_s);
    else if (!discharge.load_file(inputs.discharge_file.c_str(), &error)) {
        tool_error(io, command, error);
        return TOOL_BAD_INPUT;
    }

    const std::vector<Tlamp_analysis> lamps = analyse_tracer_test(rows, inputs, discharge);
    analysis_table_text(inputs, lamps, &text);
    io->out += text;
    const std::string* output = line.option("-o");
    if (!output)
        return TOOL_OK;
    analysis_results_text(lamps, &text);
    return tool_write_output(output, text, io) ? TOOL_OK : TOOL_BAD_INPUT;
}
