#include "analysis/Tracer_test.h"

#include <cstdio>
#include <span>

#include "analysis/Analysis_text.h"
#include "events/Lib_cpp.h"
#include "events/Lib_cpp_os.h"
#include "events/My_string.h"

namespace {

constexpr int PATH_CHARS = 4096;

bool write_into(const char* folder, const char* name, const std::string& text, std::string* error)
{
    char path[PATH_CHARS];
    std::string reason = "the path is too long";
    if (path_join(path, sizeof path, folder, name) && write_file_replacing(path, text.data(), text.size(), &reason))
        return true;
    *error = std::string("unable to write \"") + name + "\" into \"" + folder + "\": " + reason;
    return false;
}

}  // namespace

Ttracer_test::Ttracer_test(Tmeasure_table* table) : table(table) { table->add_listener(this); }

Ttracer_test::~Ttracer_test() { table->remove_listener(this); }

bool Ttracer_test::set_inputs(const Ttracer_inputs& inputs, std::string* error)
{
    if (!tracer_inputs_check(inputs, error))
        return false;
    Tdischarge read;
    if (!inputs.discharge_file.empty()) {
        if (!read.load_file(inputs.discharge_file.c_str(), error))
            return false;
    } else if (!is_undefined_double(inputs.discharge_l_s)) {
        read.set_constant(inputs.discharge_l_s);
    }
    given = inputs;
    discharge = std::move(read);
    save_beside_journal();
    recompute();
    return true;
}

void Ttracer_test::keep_with_journal(std::function<std::string()> provider)
{
    journal_path = std::move(provider);
    journal_seen.clear();
}

void Ttracer_test::row_added()
{
    follow_journal();
    recompute();
}

void Ttracer_test::follow_journal()
{
    const std::string path = journal_path ? journal_path() : std::string();
    if (path == journal_seen) return;
    journal_seen = path;
    if (path.empty()) return;
    const std::string beside = tracer_inputs_path_of_journal(path);
    if (std::FILE* kept = std::fopen(beside.c_str(), "rb")) {
        std::fclose(kept);
        std::string error;
        if (!load_inputs(beside.c_str(), &error))
            log_printf("ERROR : tracer test inputs \"%s\" not loaded: %s", beside.c_str(), error.c_str());
        return;
    }
    save_beside_journal();
}

void Ttracer_test::save_beside_journal() const
{
    const std::string journal = journal_path ? journal_path() : std::string();
    if (journal.empty() || is_undefined_double(given.injection_utc)) return;
    const std::string beside = tracer_inputs_path_of_journal(journal);
    std::string reason;
    if (!save_inputs(beside.c_str(), &reason))
        log_printf("ERROR : unable to write \"%s\": %s", beside.c_str(), reason.c_str());
}

bool Ttracer_test::set_fields(const Ttracer_fields& fields, std::string* error)
{
    Ttracer_inputs inputs;
    return tracer_inputs_from_fields(fields, &inputs, error) && set_inputs(inputs, error);
}

bool Ttracer_test::load_inputs(const char* path, std::string* error)
{
    Ttracer_inputs inputs;
    return tracer_inputs_load(path, &inputs, error) && set_inputs(inputs, error);
}

bool Ttracer_test::save_inputs(const char* path, std::string* error) const
{
    return tracer_inputs_save(path, given, error);
}

bool Ttracer_test::save_report(const char* folder, std::string* error) const
{
    std::string inputs, results, table_text;
    tracer_inputs_text(given, &inputs);
    analysis_results_text(lamps, &results);
    Treport_sources sources;
    sources.table = journal_path ? journal_path() : std::string();
    if (sources.table.empty())
        sources.table = "the view window's table (no journal)";
    sources.constants = constants_name ? constants_name() : std::string();
    if (sources.constants.empty())
        sources.constants = "none loaded";
    analysis_table_text(sources, given, lamps, &table_text);
    return write_into(folder, "tracer_test.txt", inputs, error) && write_into(folder, "results.csv", results, error) &&
           write_into(folder, "results.txt", table_text, error);
}

std::vector<Ttracer_test::Tmark> Ttracer_test::marks() const
{
    std::vector<Tmark> marks;
    if (is_undefined_double(given.injection_utc))
        return marks;
    marks.push_back({given.injection_utc, -1, "Injection"});
    for (const Tlamp_analysis& lamp : lamps)
        for (const auto& [result, what] : {std::pair{RESULT_FIRST_ARRIVAL, " first arrival"}, {RESULT_PEAK_TIME, " peak"}})
            if (lamp.figures[result].has_value())
                marks.push_back({given.injection_utc + lamp.figures[result].value, lamp.lamp,
                                 tracer_lamp_name(lamp.lamp) + std::string(what)});
    return marks;
}

// Without an injection time there is nothing to compute: the rows of a
// month are not read again at every arrival for nothing.
void Ttracer_test::recompute()
{
    const unsigned rows = table->data_rows();
    if (is_undefined_double(given.injection_utc))
        lamps.clear();
    else
        lamps = analyse_tracer_test(rows ? std::span(&table->row(0), rows) : std::span<const Tmeasure_row>(), given,
                                    discharge);
    if (on_change)
        on_change();
}
