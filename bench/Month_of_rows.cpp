#include "bench/Month_of_rows.h"

#include <malloc.h>

#include <random>

std::vector<Tlumo_measure> month_of_records()
{
    std::vector<Tlumo_measure> records(MONTH_ROWS);
    std::mt19937 rng(3);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    for (unsigned i = 0; i < MONTH_ROWS; ++i) {
        Tlumo_measure& r = records[i];
        r.timestamp = int32_t(1607337600 + 10 * i);
        for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) r.delta[lamp] = 40.0f + 300.0f * float(lamp) + noise(rng);
        r.temperature = 11.5f + 0.1f * noise(rng);
        r.ppb_a = 12.345f + 0.01f * noise(rng);
        r.ppb_b = 0.5f + 0.01f * noise(rng);
        r.ppb_c = 0.25f + 0.01f * noise(rng);
        r.ntu = 3.21f + 0.01f * noise(rng);
    }
    return records;
}

double heap_in_use()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}
