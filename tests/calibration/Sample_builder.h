#pragma once
#include <initializer_list>

#include "calibration/Sample_table.h"
#include "events/Lib_cpp.h"
#include "view/Codes.h"

// A sample of one liquid with the given deltas (A, B, C, T); each lamp off
// at 1000 mV so that on = off + delta.
inline Tlumo_sample* make_sample(int tracer, int concentration, std::initializer_list<float> deltas)
{
    Tlumo_sample* sample = new Tlumo_sample;
    sample->tracer = static_cast<uint8_t>(tracer);
    sample->concentration = static_cast<uint8_t>(concentration);
    int lamp = 0;
    for (float delta : deltas)
        sample->set_lamp("ABCT"[lamp++], 1000.0f, delta);
    return sample;
}

// Files a sample under configuration 1 ("I,II,III"), or 2 when asked.
inline void add_sample(sample_table* table, int tracer, int concentration, std::initializer_list<float> deltas,
                       int configuration = 1)
{
    Tlumo_sample* sample = make_sample(tracer, concentration, deltas);
    if (!sample_table_add(table, sample, configuration))
        delete sample;
}

// Short names of the instrument codes.
constexpr int WATER = TRACER_WATER, URANINE = TRACER_URANINE, EOSINE = TRACER_EOSINE,
              SULFORHODAMINE_B = TRACER_SULFORHODAMINE_B, AMINO_G_ACID = TRACER_AMINO_G_ACID,
              NAPHTIONATE = TRACER_NAPHTIONATE;
constexpr int NTU_0 = CONCENTRATION_0_NTU, NTU_1 = CONCENTRATION_1_NTU, NTU_10 = CONCENTRATION_10_NTU,
              NTU_100 = CONCENTRATION_100_NTU, PPB_10 = CONCENTRATION_10_PPB, PPB_100 = CONCENTRATION_100_PPB;

// The table behind the checked-in legacy text: every constant hand-computed.
// Water minimum A 9.5 (a tracer C sample), B 20, C 30, T 5; lamp B's 1 NTU
// and lamp C's 10 NTU sit on their floors; tracer A's lamp C response equals
// water C; one tracer A sample lacks lamp T.
inline void fill_known_table(sample_table* table)
{
    add_sample(table, WATER, NTU_0, {10, 20, 30, 5});
    add_sample(table, WATER, NTU_1, {12, 20, 33, 15});
    add_sample(table, WATER, NTU_10, {20, 30, 30, 100});
    add_sample(table, WATER, NTU_100, {100, 110, 120, 1000});
    add_sample(table, URANINE, PPB_10, {60, 21, 31, 6});
    add_sample(table, URANINE, PPB_100, {510, 25, 30, 7});
    add_sample(table, URANINE, PPB_100, {530, 27, 30, 9});
    add_sample(table, URANINE, PPB_100, {520, 26, 30, 0});
    add_sample(table, SULFORHODAMINE_B, PPB_10, {11, 70, 32, 5.5f});
    add_sample(table, SULFORHODAMINE_B, PPB_100, {15, 620, 36, 6.5f});
    add_sample(table, AMINO_G_ACID, PPB_10, {10.5f, 20.5f, 80, 5.25f});
    add_sample(table, AMINO_G_ACID, PPB_100, {9.5f, 24, 730.25f, 5});
    // The third tracer A sample was taken with lamp T not read.
    Tlumo_sample* unread = table->cell[1][3].at(2);
    unread->lamp[LAMP_T].on = undefined_float();
    unread->delta[LAMP_T] = undefined_float();
}
