#pragma once
#include "events/Sequence.h"

// The connection master: the link to the instrument and the 100 ms tick.
class Tlumo2_common : public Tsequence {
public:
    Tlumo2_common();
    ~Tlumo2_common() override;

    void start();
    void updatePortList();
    void connectPort();
    void saveSettings();
    bool send(const unsigned char* bytes, unsigned length);
    void OnEvent(Tmy_event* event) override;
};
