#pragma once
#include <cstdint>

#include "calibration/Lumo_sample.h"
#include "events/My_string.h"

struct sample_table;

// Turns the stored calibration samples into the instrument's constants,
// checks them against the consistency rules and writes the legacy
// calibration text. One calculator serves one calculation.
class Tlumo_calibration_calc {
public:
    // Slots of a tracer's responses: lamps A, B, C, T at 100 ppb, then the
    // tracer's own lamp at 10 ppb.
    enum { AT_100_LA = 0, AT_100_LB = 1, AT_100_LC = 2, AT_100_LT = 3, AT_10_OWN = 4 };
    // Turbidity levels: 1, 10 and 100 NTU.
    enum { NTU_1 = 0, NTU_10 = 1, NTU_100 = 2 };

    Tlumo_calibration_calc();

    void set_header(uint8_t model, int serial, int year, int month, int day);
    // lamp: 'A', 'B' or 'C' in either case; other letters are ignored.
    void set_lamp_tracer(char lamp, uint8_t tracer);
    void compute(const sample_table* table);
    // 0 when every rule holds; otherwise one bit per failed rule (some
    // rules share a bit). Each failed rule is logged.
    int32_t check_validity();
    void write_legacy_text(Tmy_string* out);
    // The value with two decimals, padded to 7 characters with leading
    // spaces. Valid until the next call.
    const char* format_value(double value);

    // lamp: a Tlamp_index.
    double water(int lamp) const { return water_[lamp]; }
    // tracer 0, 1, 2 for the tracers of lamps A, B, C.
    double tracer_response(int tracer, int slot) const { return tracer_response_[tracer][slot]; }
    double turbidity_response(int lamp, int level) const { return turbidity_response_[lamp][level]; }

private:
    uint8_t model = 1;
    uint8_t lamp_tracer[3] = {0, 0, 0};
    Tmy_string text;
    int32_t serial = 0;
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    double water_[4];
    double tracer_response_[3][5];
    double turbidity_response_[4][3];

    void compute_turbidity(const sample_table* table);
    void compute_tracer(const sample_table* table, int tracer);
    void write_block(Tmy_string* out, const char* name, const double values[4]);
};
