#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a tracer test's analysis needs besides the measurements, given once
// per test and kept with it. A value not given is the undefined marker.
constexpr int TRACER_LAMPS = 3;  // A, B, C

struct Ttracer_inputs {
    Ttracer_inputs();

    double injection_utc;               // seconds since 1970-01-01 00:00 UTC
    double mass_g[TRACER_LAMPS];        // injected mass per lamp's tracer
    double discharge_l_s;               // a constant discharge at the sampling point...
    std::string discharge_file;         // ...or a file of "time;discharge" rows
    double distance_m;                  // injection to sampling point
    double background_ppb[TRACER_LAMPS];  // typed; else the mean of the rows before the injection
    std::string site;                   // where the samples are taken, for the report's title
    // The longest step between rows that is integrated, s; undefined: three
    // local sampling intervals. A choice of the command line's analysis,
    // not kept in the inputs file.
    double max_gap_s;
};

// The inputs as named texts, in the file's order: "injection", "mass_A",
// "mass_B", "mass_C", "discharge", "discharge_file", "distance",
// "background_A", "background_B", "background_C", "site"; "" when not given.
using Ttracer_fields = std::vector<std::pair<std::string, std::string>>;
Ttracer_fields tracer_inputs_fields(const Ttracer_inputs& inputs);
// Reads named texts as the file's lines (unknown names skipped); false,
// with the name and the fault, as tracer_inputs_read.
bool tracer_inputs_from_fields(const Ttracer_fields& fields, Ttracer_inputs* inputs, std::string* error);

// The inputs as a small text file: one "name=value" line each, CR LF, a
// value left empty when not given. Times as "dd.mm.yyyy hh:mm:ss" UTC
// (the exact second), numbers so that they read back unchanged.
void tracer_inputs_text(const Ttracer_inputs& inputs, std::string* text);
// Reads that text; unknown names are skipped so that a file of a later
// version still opens. False, with the line and the fault in *error, for a
// line without "=", a value that does not read, or inputs that
// tracer_inputs_check refuses.
bool tracer_inputs_read(std::string_view text, Ttracer_inputs* inputs, std::string* error);

// False, with the reason, for a mass, discharge or distance that is not
// above 0, both a constant discharge and a discharge file, or a site that
// is not one line of text.
bool tracer_inputs_check(const Ttracer_inputs& inputs, std::string* error);

bool tracer_inputs_load(const char* path, Ttracer_inputs* inputs, std::string* error);
// Where a journal's test inputs are kept: beside it, named after it
// ("lumo2-20261208-101500.csv" keeps "lumo2-20261208-101500-test.txt").
std::string tracer_inputs_path_of_journal(const std::string& journal_path);
// Replaces the file whole or leaves it as it was; false, with the system's
// reason in *error when given, when it cannot be written.
bool tracer_inputs_save(const char* path, const Ttracer_inputs& inputs, std::string* error = nullptr);

// "Injected mass A (g)" and the like: how people see the named input; the
// name itself for an unknown one.
std::string tracer_input_caption(std::string_view name);

// "A", "B" or "C" for lamps 0 to 2; the lamp of such a letter, else -1.
const char* tracer_lamp_name(int lamp);
int tracer_lamp_of(std::string_view name);
