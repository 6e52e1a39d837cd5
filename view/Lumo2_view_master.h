#pragma once
#include "events/Sequence.h"

// The live view: requests a measurement every 10 s, converts and tables it.
class Tlumo2_view_master : public Tsequence {
public:
    Tlumo2_view_master();

    void start();
    void OnStop();
    void window_closed();
    void clear() {}
    void enter() {}
    void tick();
    void on_data(int kind, const unsigned char* bytes, unsigned length);
    void OnEvent(Tmy_event*) override {}
};
