#pragma once
#include "events/Sequence.h"

class Tmy_string;

// Runs a calibration: readings, stored samples, constants, files.
class Tlumo2_cal_master : public Tsequence {
public:
    Tlumo2_cal_master();

    void start_acquisition();
    void stop_acquisition();
    // The calibration window was closed: acquisition ends without a log line.
    void window_closed();
    void enter() {}
    void calculate(Tmy_string* output);
    void clear_samples();
    void tick();
    void on_instrument_data(int kind, const unsigned char* bytes, unsigned length);
    void OnEvent(Tmy_event*) override {}
};
