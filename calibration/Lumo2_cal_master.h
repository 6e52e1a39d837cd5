#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "calibration/Lumo_sample.h"
#include "calibration/Sample_table.h"
#include "events/My_string.h"
#include "events/Sequence.h"

class TiXmlElement;

// Runs a calibration: readings, stored samples, constants, files.
class Tlumo2_cal_master : public Tsequence {
public:
    static constexpr int REQUEST_PERIOD_MS = 10000;
    static constexpr int TICK_MS = 100;
    // A reading older than two request periods is not stored: the cell may
    // hold another liquid by now.
    static constexpr int STALE_AFTER_MS = 2 * REQUEST_PERIOD_MS;
    using Tclock = std::function<std::chrono::steady_clock::time_point()>;
    enum class Tstore { add, replace };

    Tlumo2_cal_master();

    void start_acquisition();
    void stop_acquisition();
    // The calibration window was closed: acquisition ends without a log line.
    void window_closed();
    void enter() {}
    // Computes, checks and shows the constants; copies the legacy text into
    // output when one is given.
    void calculate(Tmy_string* output);
    void clear_samples();
    void tick();
    // kind 0: a text line; kind 1: a measurement frame's payload.
    void on_instrument_data(int kind, const unsigned char* bytes, unsigned length);
    void OnEvent(Tmy_event*) override {}

    // Why the latest reading cannot be stored now (none yet, or stale);
    // empty when it can.
    std::string store_refusal() const;
    // Files a copy of the latest reading under the liquid's codes; with
    // replace, the samples of the same standard are removed first. False,
    // logged, when the reading is refused.
    bool store_sample(uint8_t tracer, uint8_t concentration, Tstore how = Tstore::add);
    // How many samples of this tracer and concentration are stored.
    int stored_count(uint8_t tracer, uint8_t concentration) const;
    // Removes the sample at index in table order (the stored-values grid's
    // row less its header); false when there is none.
    bool remove_sample(int index);
    // "reading 12 s old", or "no reading".
    std::string reading_age_text() const;
    // Where the reading's age is measured from; tests replace it.
    void set_clock(Tclock now) { clock = std::move(now); }
    // Remembers which tracer a sample shows on lamps A, B and C.
    void note_lamp_tracer(const Tlumo_sample* sample);
    void refresh_stored_values();

    // Save the legacy text or the samples; a failure is logged and an
    // existing file is kept whole.
    void save_dat(const char* path);
    void save_xml(const char* path);
    void load_xml(const char* path);
    // "<directory>/calibration_<serial>_<yyyymmdd>" with ".dat" or ".xml".
    void default_file_name(Tmy_string* out, bool dat);
    // Where the save dialog opens: the folder of the last file saved or
    // loaded, else the working directory.
    void proposed_folder(Tmy_string* out) const;

    void read_serial_from_display();
    void read_model_from_display();
    void read_configuration_from_display();
    void set_serial(const char* text);
    void set_model(const char* text);
    void set_configuration(const char* text);
    void set_today();
    void set_date(int year, int month, int day);

    // Read access for the window and tests.
    const ::sample_table* samples() const { return &sample_table; }
    const Tlumo_sample* reading() const { return &current_reading; }
    const char* serial() const { return serial_text.c_str(); }
    const char* last_directory() const { return directory.c_str(); }
    uint8_t current_model() const { return model; }
    uint8_t current_configuration() const { return configuration; }
    const int* date_fields() const { return date; }
    uint8_t lamp_tracer_of(int lamp) const { return lamp_tracer[lamp]; }
    bool is_acquiring() const { return acquiring; }
    int countdown() const { return countdown_ms; }

private:
    void request_measurement();
    int reading_age_ms() const;
    void show_reading_age();
    void take_reading(int kind, const unsigned char* bytes, unsigned length);
    void remember_directory(const char* path);
    bool write_file(const char* path, const Tmy_string* text);
    void build_xml(Tmy_string* out);
    void read_sample(const TiXmlElement* element);

    uint8_t model = 0;
    uint8_t configuration = 0;
    Tlumo_sample current_reading;
    ::sample_table sample_table;
    Tmy_string directory;
    Tmy_string serial_text;
    // Year (four digits), month, day, hour, minute, second; only the date is used.
    int date[6] = {0, 0, 0, 0, 0, 0};
    uint8_t lamp_tracer[3] = {0, 0, 0};
    int32_t countdown_ms = 0;
    bool acquiring = false;
    bool has_reading = false;
    std::chrono::steady_clock::time_point reading_time;
    Tclock clock = [] { return std::chrono::steady_clock::now(); };
    std::string age_shown;
};
