#pragma once
#include <functional>
#include <string>
#include <vector>

#include "analysis/Discharge.h"
#include "analysis/Tracer_analysis.h"
#include "analysis/Tracer_inputs.h"
#include "view/Measure_table.h"

// A tracer test followed live: its inputs and its answers, recomputed from
// the measurement table whenever a row arrives or the table is cleared.
class Ttracer_test : public Tmeasure_table_listener {
public:
    explicit Ttracer_test(Tmeasure_table* table);
    ~Ttracer_test() override;
    Ttracer_test(const Ttracer_test&) = delete;
    Ttracer_test& operator=(const Ttracer_test&) = delete;

    // Takes the inputs and reads their discharge file; false, with the
    // reason, and the inputs before kept, when they are refused.
    bool set_inputs(const Ttracer_inputs& inputs, std::string* error);
    const Ttracer_inputs& inputs() const { return given; }
    // The same through the inputs' named texts, as a form shows them.
    bool set_fields(const Ttracer_fields& fields, std::string* error);
    Ttracer_fields fields() const { return tracer_inputs_fields(given); }
    bool load_inputs(const char* path, std::string* error);
    bool save_inputs(const char* path, std::string* error) const;

    // The inputs are kept beside the journal the rows go into: given
    // inputs are written there, and a journal that already has them (one
    // reopened after a crash) gives them back. The provider names the
    // current journal, empty while there is none.
    void keep_with_journal(std::function<std::string()> journal_path);
    // Called once a journal has been reopened, so that its inputs return
    // before the next row does.
    void journal_changed() { follow_journal(); }
    // Names the calibration constants the rows were converted with, for
    // the report; the provider gives "" when none are loaded.
    void name_constants(std::function<std::string()> constants_path) { constants_name = std::move(constants_path); }

    const std::vector<Tlamp_analysis>& results() const { return lamps; }
    // The moments to mark on a chart of the rows: the injection, then each
    // lamp's first arrival and peak that have a time.
    struct Tmark {
        double utc;
        int lamp;  // -1 for the injection
        std::string label;
    };
    std::vector<Tmark> marks() const;

    // Called after every recomputation (a window refreshing its view).
    void set_on_change(std::function<void()> listener) { on_change = std::move(listener); }

    // Into the folder: the inputs ("tracer_test.txt"), the results for
    // scripts ("results.csv") and for people ("results.txt", naming the
    // journal and the constants). False, with the file that could not be
    // written.
    bool save_report(const char* folder, std::string* error) const;

    void row_about_to_be_added(unsigned) override {}
    void row_added() override;
    void table_about_to_clear() override {}
    void table_cleared() override { recompute(); }

private:
    void recompute();
    void follow_journal();
    void save_beside_journal() const;

    Tmeasure_table* table;
    Ttracer_inputs given;
    Tdischarge discharge;
    std::vector<Tlamp_analysis> lamps;
    std::function<void()> on_change;
    std::function<std::string()> journal_path;
    std::function<std::string()> constants_name;
    std::string journal_seen;
};
