#pragma once
#include <string>

#include "events/Sequence.h"
#include "view/Measure_journal.h"
#include "view/Measure_table.h"
#include "view/Resume_state.h"
#include "view/Vorn_lumo.h"

// The live view: requests a measurement every 10 s, converts and tables it.
class Tlumo2_view_master : public Tsequence {
public:
    static constexpr int REQUEST_PERIOD_MS = 10000;
    static constexpr int TICK_MS = 100;

    Tlumo2_view_master();

    void start();
    void OnStop();
    void window_closed();
    void clear() {}
    void enter() {}
    void tick();
    void on_data(int kind, const unsigned char* bytes, unsigned length);
    void OnEvent(Tmy_event*) override {}

    // Sends one request with the lamps ticked in the view window.
    void OnAcq();
    // Replaces the constants with those of the file; logs the outcome.
    void load_calibration(const char* path);
    // Writes the table's text to the file chosen in the save dialog.
    void table_save(const char* path);
    // Writes the bytes to path, replacing an existing file only once the new
    // one is complete. Logs and returns false on failure.
    bool save_text(const char* path, const std::string& text);

    bool is_running() const { return running != 0; }
    // What the view is doing, for the line beside START and STOP; shown
    // through the bridge at every change, every row and every change of
    // the link.
    std::string state_text() const;
    void show_state();
    // What to write beside the journal for a start after a crash.
    Tresume_state resume_state() const;
    // Writes it beside the current journal when it or the journal changed.
    void keep_state();
    // The constants file loaded last; empty when none is loaded.
    const std::string& constants_file() const { return constants_path; }
    // The time from one periodic request to the next, in whole ticks (a
    // shorter time gives one tick); the view window keeps 10 s.
    void set_request_period(int ms);
    int request_period() const { return request_period_ms; }

    // The record's lamp deltas to ppb and NTU through the loaded constants,
    // for the lamps that delivered; logs each result.
    void convert(Tlumo_measure* record);

    Tvorn_lumo constants;
    Tmeasure_table table;
    // Every row of the table on disk as it arrives; off until started.
    Tmeasure_journal journal{&table};

private:
    unsigned char running = 0;
    // The lamps of the last request (all ticked until the first).
    unsigned requested_lamps = 0xF;
    std::string constants_path;  // the file they came from; "" when none are loaded
    Tresume_keeper resume_keeper;
    int countdown = 0;
    int request_period_ms = REQUEST_PERIOD_MS;
};
