#include <cstring>
#include <filesystem>

#include "app/Gui.h"
#include "tool/Tool.h"
#include "tool/Tool_args.h"
#include "tool/Tool_files.h"
#include "tool/Tool_panes.h"
#include "calibration/Lumo2_cal_master.h"
#include "events/Lib_cpp.h"

// lumo2-tool calc: the calibration window's "Load XML..." then "Calc
// Calibration" (or "Save DAT..." with -o), read back from its log panes.

namespace {

const char COMMAND[] = "calc";
const char LOW_LEVEL_PANE[] = "Memo1";
const char VALIDITY_PANE[] = "Memo4";
const char CODE_LINE[] = "calibration.check_validity() => Error code = ";

bool starts_with(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The master reports a file it could not read or write in its low-level pane.
bool report_file_errors(Ttool_panes* panes, Ttool_output* io)
{
    bool failed = false;
    for (const std::string& line : panes->lines(WIN_CAL, LOW_LEVEL_PANE)) {
        if (!starts_with(line, "ERROR"))
            continue;
        io->err += line + "\n";
        failed = true;
    }
    return failed;
}

// Copies the validity pane (the failed rules, then the code line) to
// standard error and returns the code, or -1 without a code line.
int report_validity(Ttool_panes* panes, Ttool_output* io)
{
    int code = -1;
    for (const std::string& line : panes->lines(WIN_CAL, VALIDITY_PANE)) {
        if (line.empty())
            continue;
        io->err += line + "\n";
        if (starts_with(line, CODE_LINE) && parse_int(line.c_str() + std::strlen(CODE_LINE), &code))
            code = -1;
    }
    return code;
}

}  // namespace

int tool_calc(const Ttool_args& args, Ttool_output* io)
{
    Ttool_command_line line;
    std::string error;
    if (!line.parse(args, {"-o"}, &error))
        return tool_usage_error(io, COMMAND, error);
    if (line.wants_help()) {
        io->out += tool_help();
        return TOOL_OK;
    }
    if (line.positional.size() != 1)
        return tool_usage_error(io, COMMAND, "expects one calibration XML file");

    const std::string& path = line.positional[0];
    // The XML reader takes a directory's size for a file's and asks for
    // more memory than there is: refuse it as an unreadable file.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        io->err += "ERROR : unable to read \"" + path + "\" file correctly\n";
        return TOOL_BAD_INPUT;
    }
    Ttool_panes panes(MODE_CALIBRATION);
    Tlumo2_cal_master master;
    master.load_xml(path.c_str());
    if (report_file_errors(&panes, io))
        return TOOL_BAD_INPUT;

    const std::string* output = line.option("-o");
    Tmy_string text;
    if (output)
        master.save_dat(output->c_str());
    else
        master.calculate(&text);
    const int code = report_validity(&panes, io);
    if (report_file_errors(&panes, io))
        return TOOL_BAD_INPUT;
    if (code < 0) {
        tool_error(io, COMMAND, "the calculation gave no validity code");
        return TOOL_BAD_INPUT;
    }
    if (!output)
        io->out.append(text.c_str(), text.length());
    return code == 0 ? TOOL_OK : TOOL_RULES_FAILED;
}
