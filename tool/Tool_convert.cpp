#include <string_view>

#include "tool/Tool.h"
#include "tool/Tool_args.h"
#include "tool/Tool_conversion.h"
#include "tool/Tool_files.h"
#include "tool/Tool_table.h"
#include "view/Saved_table.h"

// lumo2-tool reconvert and convert: lamp deltas to ppb and NTU through a
// calibration constants file, as the live view converts them.

namespace {

constexpr int DELTA_A_COLUMN = 3;
constexpr int PPB_A_COLUMN = 8;
constexpr int LAMPS = 4;

// The constants, or the master's refusal ("error x..") on standard error.
bool load_constants(Ttool_conversion* conversion, const std::string& path, Ttool_output* io)
{
    std::vector<std::string> messages;
    if (conversion->load(path.c_str(), &messages))
        return true;
    for (const std::string& message : messages)
        io->err += message + "\n";
    return false;
}

// Replaces the ppb and NTU cells of every row; false with *error naming
// the first delta cell that is neither a number nor "-".
bool reconvert_rows(Ttool_conversion* conversion, std::vector<Ttool_table_row>* rows, std::string* error)
{
    for (size_t index = 0; index < rows->size(); ++index) {
        Ttool_table_row& row = (*rows)[index];
        float deltas[LAMPS];
        for (int lamp = 0; lamp < LAMPS; ++lamp) {
            const std::string& cell = row[DELTA_A_COLUMN + lamp];
            if (read_saved_value(cell, &deltas[lamp]))
                continue;
            *error = "line " + std::to_string(index + 2) + ", column \"" +
                     Tmeasure_table::header(DELTA_A_COLUMN + lamp) + "\": \"" + cell +
                     "\" is neither a number nor \"-\"";
            return false;
        }
        conversion->convert(deltas, &row[PPB_A_COLUMN]);
    }
    return true;
}

// "A,B,C,T": four deltas in mV, "-" for an absent lamp.
bool read_delta_list(std::string_view list, float deltas[LAMPS])
{
    for (int lamp = 0; lamp < LAMPS; ++lamp) {
        const size_t comma = list.find(',');
        const bool last = lamp == LAMPS - 1;
        if (last != (comma == std::string_view::npos))
            return false;
        if (!read_saved_value(list.substr(0, comma), &deltas[lamp]))
            return false;
        list.remove_prefix(last ? list.size() : comma + 1);
    }
    return true;
}

}  // namespace

int tool_reconvert(const Ttool_args& args, Ttool_output* io)
{
    const char command[] = "reconvert";
    Ttool_command_line line;
    std::string error;
    if (!line.parse(args, {"-o"}, &error))
        return tool_usage_error(io, command, error);
    if (line.wants_help()) {
        io->out += tool_help();
        return TOOL_OK;
    }
    if (line.positional.size() != 2)
        return tool_usage_error(io, command, "expects a saved table and a calibration constants file");
    const std::string& table_path = line.positional[0];

    std::string text;
    if (!tool_read_file(table_path, &text)) {
        tool_error(io, command, "unable to read \"" + table_path + "\"");
        return TOOL_BAD_INPUT;
    }
    std::vector<Ttool_table_row> rows;
    if (!tool_read_table(text, &rows, &error)) {
        tool_error(io, command, table_path + ": " + error);
        return TOOL_BAD_INPUT;
    }
    Ttool_conversion conversion;
    if (!load_constants(&conversion, line.positional[1], io))
        return TOOL_BAD_INPUT;
    if (!reconvert_rows(&conversion, &rows, &error)) {
        tool_error(io, command, table_path + ": " + error);
        return TOOL_BAD_INPUT;
    }
    tool_write_table(rows, &text);
    return tool_write_output(line.option("-o"), text, io) ? TOOL_OK : TOOL_BAD_INPUT;
}

int tool_convert(const Ttool_args& args, Ttool_output* io)
{
    const char command[] = "convert";
    Ttool_command_line line;
    std::string error;
    if (!line.parse(args, {"--deltas"}, &error))
        return tool_usage_error(io, command, error);
    if (line.wants_help()) {
        io->out += tool_help();
        return TOOL_OK;
    }
    const std::string* list = line.option("--deltas");
    if (line.positional.size() != 1 || !list)
        return tool_usage_error(io, command, "expects a calibration constants file and --deltas A,B,C,T");
    float deltas[LAMPS];
    if (!read_delta_list(*list, deltas))
        return tool_usage_error(io, command,
                                "--deltas takes four values in mV separated by commas, \"-\" for an absent lamp");

    Ttool_conversion conversion;
    if (!load_constants(&conversion, line.positional[0], io))
        return TOOL_BAD_INPUT;
    std::string cells[LAMPS];
    conversion.convert(deltas, cells);
    for (int column = 0; column < LAMPS; ++column)
        io->out += std::string(Tmeasure_table::header(PPB_A_COLUMN + column)) + ": " + cells[column] + "\n";
    return TOOL_OK;
}
