#pragma once
#include "events/My_string.h"

class Ttoken_reader;

// What the caller fills and Tvorn_lumo::convert completes. Lamps 0, 1, 2 are
// A, B, C; tracer i is measured on lamp i.
struct conversion_record {
    double signal[3] = {};            // in: lamp A, B, C signals (deltas), mV
    unsigned char has_signal[3] = {}; // in: 1 where the lamp delivered
    double signal_t = 0;              // in: lamp T signal, mV
    unsigned char has_t = 0;          // in: 1 where lamp T delivered
    double ppb[3] = {};               // out: tracer 1, 2, 3 concentrations
    double ntu = 0;                   // out: turbidity, meaningful with has_t
};

// Results of Tvorn_lumo::getcalib: 1 and 2 alone, the others ORed together.
enum Tcalib_error {
    CALIB_NO_PATH = 1,
    CALIB_CANNOT_OPEN = 2,
    CALIB_TRACER_LINE_AT_WATER = 4,   // a calibration line's signal <= water
    CALIB_LAMP_COUNT = 8,             // nlamp outside 2..5
    CALIB_TURBIDITY_AT_WATER = 16,    // a standard's lamp T signal <= water
    CALIB_INTERFERENCE_AT_WATER = 32, // a standard's lamp A/B/C signal <= water
    CALIB_UNREADABLE = 64,            // a word or number could not be read
    CALIB_TOO_MANY_LINES = 128,       // a tracer with more than 3 calibration lines
    CALIB_NOT_DERIVED = 256,          // a derived constant is not finite or has no
                                      // value (equal standards, zero concentration)
};

// The conversion's detection floors: ppb of lamps A, B, C and NTU (result
// 3) are raised to them, so a result there stands for any value below.
constexpr int CONVERSION_RESULTS = 4;
constexpr double CONVERSION_FLOORS[CONVERSION_RESULTS] = {0.0105, 0.1, 0.1, 0.1};
// Whether a result as a table row keeps it (single precision, or read back
// from the table's three decimals) is at its floor. An undefined result is not.
bool at_conversion_floor(int result, float value);

// The calibration constants of one instrument, read from a calibration
// constants file, and the conversion of lamp signals to ppb and NTU.
//
// Lamp n's signal for sample s is cal[n % 2][n / 2][s]; samples: 0 clean
// water, 1..3 tracer 1..3 at ssss ppb, 4..6 turbidity standards 1, 10,
// 100 NTU. Numeric fields keep their values until a load overwrites them.
class Tvorn_lumo {
public:
    static constexpr int SAMPLES = 7;
    static constexpr int MAX_CALIBRATION_LINES = 3;

    // Empties the texts and invalidates; numbers stay.
    void clear();
    // 0 on success, else a Tcalib_error value or bit set; valid = (result == 0).
    int getcalib(const char* path);
    // Call only while valid.
    void convert(conversion_record* record) const;

    double signal(int lamp, int sample) const { return cal[lamp % 2][lamp / 2][sample]; }
    double water(int lamp) const { return signal(lamp, 0); }

    unsigned char valid = 0;
    Tmy_string model;
    Tmy_string serial;
    Tmy_string dyename[SAMPLES];
    double cal[2][2][SAMPLES] = {};
    int poldeg[3] = {};
    double coef[3][3] = {};
    int nlamp = 0;
    double ssss = 0;
    double c11 = 0, c12 = 0, c13 = 0, c21 = 0, c22 = 0, c23 = 0, c31 = 0, c32 = 0, c33 = 0;
    double denom = 0;
    double den12 = 0, den23 = 0, den31 = 0;
    double coftu[3][3] = {};
    double c0 = 0, c1 = 0, c2 = 0;
    double condcal = 0, tref = 0, cpc1 = 0, cpc2 = 0;
    double condnl[3] = {};

private:
    int read_constants(const char* text, unsigned length);
    void read_first_line(Ttoken_reader* reader);
    int read_tracer(Ttoken_reader* reader, int tracer);
    int derive();
    int derive_turbidity();
    bool derived_finite() const;
    double convert_single(int lamp, double v) const;
    void convert_pair(int missing, const double* s, double* ppb) const;
    void convert_three(const double* s, double* ppb) const;
};
