#pragma once
#include "link/Lumo_data.h"

// A row as the live view makes it with constants loaded: lamp deltas that
// vary a little, ten seconds apart from 7 December 2020.
inline Tlumo_measure bench_record(unsigned index)
{
    Tlumo_measure r;
    r.timestamp = 1607337600 + 10 * int(index);
    for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) r.delta[lamp] = 40.0f + 300.0f * float(lamp) + float(index % 7);
    r.temperature = 11.5f;
    r.ppb_a = 12.345f;
    r.ntu = 3.21f;
    return r;
}
