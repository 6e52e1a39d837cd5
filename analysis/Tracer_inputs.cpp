#include "analysis/Tracer_inputs.h"

#include <cmath>
#include <vector>

#include "analysis/Input_text.h"
#include "events/Lib_cpp.h"
#include "events/Whole_file.h"
#include "events/Lib_cpp_os.h"

namespace {

const char* const LAMP_NAMES[TRACER_LAMPS] = {"A", "B", "C"};

// The number fields of the file, by name, with where they live.
struct Tnumber_key {
    std::string name;
    double Ttracer_inputs::*single;
    double (Ttracer_inputs::*per_lamp)[TRACER_LAMPS];
    int lamp;
};

std::vector<Tnumber_key> number_keys()
{
    std::vector<Tnumber_key> keys;
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp)
        keys.push_back({std::string("mass_") + LAMP_NAMES[lamp], nullptr, &Ttracer_inputs::mass_g, lamp});
    keys.push_back({"discharge", &Ttracer_inputs::discharge_l_s, nullptr, 0});
    keys.push_back({"distance", &Ttracer_inputs::distance_m, nullptr, 0});
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp)
        keys.push_back({std::string("background_") + LAMP_NAMES[lamp], nullptr, &Ttracer_inputs::background_ppb, lamp});
    return keys;
}

double& field(Ttracer_inputs* inputs, const Tnumber_key& key)
{
    return key.single ? inputs->*key.single : (inputs->*key.per_lamp)[key.lamp];
}

double field(const Ttracer_inputs& inputs, const Tnumber_key& key)
{
    return key.single ? inputs.*key.single : (inputs.*key.per_lamp)[key.lamp];
}

std::string value_text(double value) { return is_undefined_double(value) ? "" : exact_number_text(value); }

std::string injection_text(double seconds)
{
    if (is_undefined_double(seconds))
        return "";
    return seconds == std::floor(seconds) ? utc_date_text(seconds) : exact_number_text(seconds);
}

// Sets the named field from its text; false with the fault for a value that
// does not read. Unknown names are skipped.
bool read_value(std::string_view name, std::string_view value, Ttracer_inputs* inputs, std::string* fault)
{
    if (name == "injection") {
        if (value.empty() || parse_utc_text(value, &inputs->injection_utc))
            return true;
        *fault = "the injection time is neither \"dd.mm.yyyy hh:mm:ss\" nor UTC seconds";
        return false;
    }
    if (name == "discharge_file") {
        inputs->discharge_file = value;
        return true;
    }
    if (name == "site") {
        inputs->site = value;
        return true;
    }
    for (const Tnumber_key& key : number_keys()) {
        if (name != key.name)
            continue;
        if (value.empty() || parse_number_text(value, &field(inputs, key)))
            return true;
        *fault = "\"" + std::string(value) + "\" is not a number";
        return false;
    }
    return true;
}

bool positive_or_absent(double value) { return is_undefined_double(value) || value > 0; }

}  // namespace

Ttracer_inputs::Ttracer_inputs()
    : injection_utc(undefined_double()), discharge_l_s(undefined_double()), distance_m(undefined_double()),
      max_gap_s(undefined_double())
{
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp)
        mass_g[lamp] = background_ppb[lamp] = undefined_double();
}

std::string tracer_input_caption(std::string_view name)
{
    static const std::pair<std::string_view, const char*> CAPTIONS[] = {
        {"injection", "Injection"},
        {"mass_A", "Injected mass A (g)"},
        {"mass_B", "Injected mass B (g)"},
        {"mass_C", "Injected mass C (g)"},
        {"discharge", "Discharge (L/s)"},
        {"discharge_file", "Discharge file"},
        {"distance", "Distance (m)"},
        {"background_A", "Background A (ppb)"},
        {"background_B", "Background B (ppb)"},
        {"background_C", "Background C (ppb)"},
        {"site", "Site"},
    };
    for (const auto& [known, caption] : CAPTIONS)
        if (name == known)
            return caption;
    return std::string(name);
}

const char* tracer_lamp_name(int lamp) { return LAMP_NAMES[lamp]; }

int tracer_lamp_of(std::string_view name)
{
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp)
        if (name == LAMP_NAMES[lamp])
            return lamp;
    return -1;
}

Ttracer_fields tracer_inputs_fields(const Ttracer_inputs& inputs)
{
    Ttracer_fields fields = {{"injection", injection_text(inputs.injection_utc)}};
    for (const Tnumber_key& key : number_keys()) {
        fields.push_back({key.name, value_text(field(inputs, key))});
        if (key.name == "discharge")
            fields.push_back({"discharge_file", inputs.discharge_file});
    }
    fields.push_back({"site", inputs.site});
    return fields;
}

bool tracer_inputs_from_fields(const Ttracer_fields& fields, Ttracer_inputs* inputs, std::string* error)
{
    Ttracer_inputs read;
    for (const auto& [name, value] : fields) {
        std::string fault;
        if (!read_value(name, value, &read, &fault)) {
            *error = name + ": " + fault;
            return false;
        }
    }
    if (!tracer_inputs_check(read, error))
        return false;
    *inputs = read;
    return true;
}

void tracer_inputs_text(const Ttracer_inputs& inputs, std::string* text)
{
    text->clear();
    for (const auto& [name, value] : tracer_inputs_fields(inputs))
        *text += name + "=" + value + "\r\n";
}

bool tracer_inputs_read(std::string_view text, Ttracer_inputs* inputs, std::string* error)
{
    Ttracer_inputs read;
    std::string_view line;
    for (int number = 1; next_text_line(&text, &line); ++number) {
        if (line.empty())
            continue;
        const size_t equals = line.find('=');
        std::string fault = "not \"name=value\"";
        if (equals == std::string_view::npos ||
            !read_value(line.substr(0, equals), line.substr(equals + 1), &read, &fault)) {
            *error = "line " + std::to_string(number) + ": " + fault;
            return false;
        }
    }
    if (!tracer_inputs_check(read, error))
        return false;
    *inputs = read;
    return true;
}

bool tracer_inputs_check(const Ttracer_inputs& inputs, std::string* error)
{
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp) {
        if (!positive_or_absent(inputs.mass_g[lamp])) {
            *error = std::string("the injected mass of lamp ") + LAMP_NAMES[lamp] + " must be above 0 g";
            return false;
        }
    }
    if (!positive_or_absent(inputs.discharge_l_s)) {
        *error = "the discharge must be above 0 L/s";
        return false;
    }
    if (!is_undefined_double(inputs.discharge_l_s) && !inputs.discharge_file.empty()) {
        *error = "a constant discharge and a discharge file: give one of them";
        return false;
    }
    if (!positive_or_absent(inputs.distance_m)) {
        *error = "the distance must be above 0 m";
        return false;
    }
    // One line of the inputs file holds it.
    for (const unsigned char c : inputs.site)
        if (c < ' ' || c == 127) {
            *error = "the site must be one line of text without control characters";
            return false;
        }
    return true;
}

bool tracer_inputs_load(const char* path, Ttracer_inputs* inputs, std::string* error)
{
    std::string text;
    if (!read_whole_file(path, &text)) {
        *error = std::string("unable to read \"") + path + "\"";
        return false;
    }
    if (tracer_inputs_read(text, inputs, error))
        return true;
    *error = std::string(path) + ": " + *error;
    return false;
}

std::string tracer_inputs_path_of_journal(const std::string& journal_path)
{
    const std::string ending = ".csv";
    const bool csv = journal_path.size() > ending.size() &&
                     journal_path.compare(journal_path.size() - ending.size(), ending.size(), ending) == 0;
    return (csv ? journal_path.substr(0, journal_path.size() - ending.size()) : journal_path) + "-test.txt";
}

bool tracer_inputs_save(const char* path, const Ttracer_inputs& inputs, std::string* error)
{
    std::string text;
    tracer_inputs_text(inputs, &text);
    return write_file_replacing(path, text.data(), text.size(), error);
}
