#include "tool/Analyze_options.h"

#include <string_view>

#include "analysis/Input_text.h"
#include "analysis/Time_text.h"
#include "events/Lib_cpp.h"

// The options of lumo2-tool analyze: inputs of the test, units, time zone
// and the columns of another logger's file.

namespace {

struct Tunit {
    const char* name;
    double factor;  // to the unit the analysis takes
};

const Tunit DISCHARGE_UNITS[] = {{"L/s", 1.0}, {"m3/s", 1000.0}, {"m3/h", 1000.0 / 3600.0}};
const Tunit MASS_UNITS[] = {{"g", 1.0}, {"kg", 1000.0}, {"mg", 0.001}};

// "12.5", "12.5 m3/h" or "12.5m3/h"; the number alone is in the first unit.
template <size_t N>
bool parse_quantity_text(std::string_view text, const Tunit (&units)[N], double* value)
{
    const Tunit* named = nullptr;  // the longest unit the text ends with ("mg", not "g")
    for (const Tunit& unit : units)
        if (text.ends_with(unit.name) && (!named || std::string_view(unit.name).size() > std::string_view(named->name).size()))
            named = &unit;
    const double factor = named ? named->factor : 1.0;
    if (named)
        text.remove_suffix(std::string_view(named->name).size());
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!parse_number_text(text, value))
        return false;
    *value *= factor;
    return true;
}

// "A=1000" into the lamp's entry of values; false with the fault.
template <size_t N>
bool read_lamp_value(const std::string& option, const std::string& text, const Tunit (&units)[N],
                     double values[TRACER_LAMPS], std::string* error)
{
    const size_t equals = text.find('=');
    const int lamp = tracer_lamp_of(std::string_view(text).substr(0, equals));
    double value = 0;
    if (equals == std::string::npos || !parse_quantity_text(std::string_view(text).substr(equals + 1), units, &value)) {
        *error = option + " takes LAMP=NUMBER, as in " + option + " A=1000" +
                 (N > 1 ? std::string(" (") + units[0].name + ", " + units[1].name + " or " + units[2].name + "; " +
                              units[0].name + " without a unit)"
                        : std::string());
        return false;
    }
    if (lamp < 0) {
        *error = option + ": unknown lamp \"" + text.substr(0, equals) + "\" (A, B or C)";
        return false;
    }
    values[lamp] = value;
    return true;
}

const Tunit NO_UNIT[] = {{"", 1.0}};

template <size_t N>
bool read_quantity_option(const Ttool_command_line& line, const char* option, const Tunit (&units)[N], double* value,
                          std::string* error)
{
    const std::string* text = line.option(option);
    if (!text || parse_quantity_text(*text, units, value))
        return true;
    *error = std::string(option) + " takes a number (decimal point)";
    if (N > 1)
        *error += std::string(" and a unit: ") + units[0].name + ", " + units[1].name + " or " + units[2].name + " (" +
                  units[0].name + " without one)";
    return false;
}

// "A=uranine_ppb" for each --column.
bool read_columns(const Ttool_command_line& line, Tanalyze_options* options, std::string* error)
{
    const std::vector<std::string> given = line.repeated("--column");
    const std::string* time = line.option("--time-column");
    options->logger_file = time != nullptr;
    if (!time) {
        if (!given.empty())
            *error = "--column needs --time-column (the time's column of another logger's file)";
        return given.empty();
    }
    options->columns.time = *time;
    if (given.empty()) {
        *error = "--time-column needs one --column LAMP=NAME or more";
        return false;
    }
    for (const std::string& text : given) {
        const size_t equals = text.find('=');
        const int lamp = tracer_lamp_of(std::string_view(text).substr(0, equals));
        if (equals == std::string::npos || equals + 1 == text.size()) {
            *error = "--column takes LAMP=NAME, as in --column A=uranine_ppb";
            return false;
        }
        if (lamp < 0) {
            *error = "--column: unknown lamp \"" + text.substr(0, equals) + "\" (A, B or C)";
            return false;
        }
        options->columns.lamp[lamp] = text.substr(equals + 1);
    }
    return true;
}

bool read_time_options(const Ttool_command_line& line, Tanalyze_options* options, std::string* error)
{
    if (const std::string* zone = line.option("--time-zone"); zone && !time_zone_named(*zone, &options->zone, error)) {
        *error = "--time-zone: " + *error;
        return false;
    }
    const std::string* injection = line.option("--injection");
    std::string fault = "not given";
    if (!injection || !parse_zoned_time_text(*injection, options->zone, -1e300, &options->inputs.injection_utc,
                                             &fault)) {
        *error = "--injection takes the time of the injection, \"dd.mm.yyyy hh:mm[:ss]\", \"yyyy-mm-dd "
                 "hh:mm[:ss]\" (in --time-zone, or with an offset such as +01:00 or Z) or UTC seconds: " +
                 fault;
        return false;
    }
    return true;
}

}  // namespace

bool read_analyze_options(const Ttool_args& args, Tanalyze_options* options, std::string* error)
{
    const Ttool_command_line& line = options->line;
    if (!options->line.parse(args,
                             {"--injection", "--discharge", "--discharge-file", "--distance", "-o", "--time-column",
                              "--time-zone", "--max-gap", "--site"},
                             error, {}, {"--mass", "--background", "--column"}))
        return false;
    if (line.wants_help())
        return true;
    if (line.positional.size() != 1) {
        *error = "expects one saved table, journal or logger's file";
        return false;
    }
    Ttracer_inputs* inputs = &options->inputs;
    if (!read_time_options(line, options, error) || !read_columns(line, options, error))
        return false;
    for (const std::string& text : line.repeated("--mass"))
        if (!read_lamp_value("--mass", text, MASS_UNITS, inputs->mass_g, error))
            return false;
    for (const std::string& text : line.repeated("--background"))
        if (!read_lamp_value("--background", text, NO_UNIT, inputs->background_ppb, error))
            return false;
    if (!read_quantity_option(line, "--discharge", DISCHARGE_UNITS, &inputs->discharge_l_s, error) ||
        !read_quantity_option(line, "--distance", NO_UNIT, &inputs->distance_m, error) ||
        !read_quantity_option(line, "--max-gap", NO_UNIT, &inputs->max_gap_s, error))
        return false;
    if (!is_undefined_double(inputs->max_gap_s) && inputs->max_gap_s <= 0) {
        *error = "--max-gap takes a number of seconds above 0";
        return false;
    }
    if (const std::string* file = line.option("--discharge-file"))
        inputs->discharge_file = *file;
    if (const std::string* site = line.option("--site"))
        inputs->site = *site;
    if (is_undefined_double(inputs->discharge_l_s) && inputs->discharge_file.empty()) {
        *error = "expects --discharge L/s or --discharge-file FILE";
        return false;
    }
    return tracer_inputs_check(*inputs, error);
}
