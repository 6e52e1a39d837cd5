#include <string_view>

#include "analysis/Analysis_text.h"
#include "analysis/Discharge.h"
#include "analysis/Input_text.h"
#include "analysis/Logger_file.h"
#include "analysis/Tracer_analysis.h"
#include "analysis/Tracer_inputs.h"
#include "tool/Analyze_options.h"
#include "tool/Tool.h"
#include "tool/Tool_files.h"
#include "view/Saved_table.h"

// lumo2-tool analyze: a tracer test's answers from a saved table, a journal
// or another logger's file.

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

bool points_from(const Tlamp_series& series, double injection_utc)
{
    for (const std::vector<Ttime_point>& points : series)
        if (!points.empty() && points.back().t >= injection_utc)
            return true;
    return false;
}

// The lamps' concentrations from this program's table or journal, or from
// another logger's file; false, with the fault told.
bool read_series(const Tanalyze_options& options, Tlamp_series* series, Ttool_output* io)
{
    const char command[] = "analyze";
    const std::string& path = options.line.positional[0];
    std::string text, error;
    if (!tool_read_file(path, &text)) {
        tool_error(io, command, "unable to read \"" + path + "\"");
        return false;
    }
    if (options.logger_file) {
        if (read_logger_file(text, options.columns, options.zone, series, &error))
            return true;
        tool_error(io, command, path + ": " + error);
        return false;
    }
    drop_cut_off_row(path, &text, io);
    std::vector<Tmeasure_row> rows;
    if (!measure_rows(text, &rows, &error)) {
        tool_error(io, command, path + ": " + error);
        return false;
    }
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp)
        (*series)[size_t(lamp)] = lamp_series(rows, lamp);
    return true;
}

// Whether any lamp has a figure besides its background.
bool any_figure(const std::vector<Tlamp_analysis>& lamps)
{
    for (const Tlamp_analysis& lamp : lamps)
        for (int result = RESULT_FIRST_ARRIVAL; result < RESULT_COUNT; ++result)
            if (lamp.figures[result].has_value())
                return true;
    return false;
}

}  // namespace

int tool_analyze(const Ttool_args& args, Ttool_output* io)
{
    const char command[] = "analyze";
    Tanalyze_options options;
    std::string error;
    if (!read_analyze_options(args, &options, &error))
        return tool_usage_error(io, command, error);
    if (options.line.wants_help()) {
        io->out += tool_help();
        return TOOL_OK;
    }
    const Ttracer_inputs& inputs = options.inputs;
    Tlamp_series series;
    if (!read_series(options, &series, io))
        return TOOL_BAD_INPUT;
    if (!points_from(series, inputs.injection_utc)) {
        tool_error(io, command, options.line.positional[0] + ": no rows from the injection (" +
                                    utc_date_text(inputs.injection_utc) + " UTC) on");
        return TOOL_BAD_INPUT;
    }
    Tdischarge discharge;
    if (inputs.discharge_file.empty())
        discharge.set_constant(inputs.discharge_l_s);
    else if (!discharge.load_file(inputs.discharge_file.c_str(), &error)) {
        tool_error(io, command, error);
        return TOOL_BAD_INPUT;
    }

    const std::vector<Tlamp_analysis> lamps = analyse_lamp_series(series, inputs, discharge);
    std::string text;
    Treport_sources sources;
    sources.table = options.line.positional[0];
    // The table keeps concentrations, not the constants that made them.
    sources.constants = "those the table was converted with (not recorded in it)";
    analysis_table_text(sources, inputs, lamps, &text);
    io->out += text;
    if (const std::string* output = options.line.option("-o")) {
        analysis_results_text(lamps, &text);
        if (!tool_write_output(output, text, io))
            return TOOL_BAD_INPUT;
    }
    if (any_figure(lamps))
        return TOOL_OK;
    tool_error(io, command, "no figure could be computed for any lamp beyond its background");
    return TOOL_NO_FIGURES;
}
