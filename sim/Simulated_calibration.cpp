#include "sim/Simulated_calibration.h"

#include "calibration/Calibration_calc.h"
#include "calibration/Sample_table.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"
#include "sim/Zeta_answer.h"
#include "sim/Zeta_model.h"

namespace {

enum Tconcentration_code {
    CONCENTRATION_0_NTU = 1,
    CONCENTRATION_1_NTU,
    CONCENTRATION_10_NTU,
    CONCENTRATION_100_NTU,
    CONCENTRATION_10_PPB,
    CONCENTRATION_100_PPB
};
constexpr int CONFIGURATION_I_II_III = 1;
constexpr int TRACERS[3] = {tracer::uranine, tracer::sulforhodamine_b, tracer::amino_g_acid};
constexpr unsigned char ALL_LAMPS = 'O';

struct Tstandard {
    Tcell cell;
    int tracer_code;
    int concentration_code;
};

std::vector<Tstandard> standards()
{
    std::vector<Tstandard> all = {{Tcell{}, tracer::water, CONCENTRATION_0_NTU}};
    for (int code : TRACERS)
        for (double ppb : {10.0, 100.0}) {
            Tcell cell;
            cell.ppb[code] = ppb;
            all.push_back({cell, code, ppb < 50 ? CONCENTRATION_10_PPB : CONCENTRATION_100_PPB});
        }
    const int levels[3] = {CONCENTRATION_1_NTU, CONCENTRATION_10_NTU, CONCENTRATION_100_NTU};
    double ntu = 1;
    for (int level : levels) {
        Tcell cell;
        cell.ntu = ntu;
        all.push_back({cell, tracer::water, level});
        ntu *= 10;
    }
    return all;
}

}  // namespace

bool simulated_constants(Tmy_string* out)
{
    const Tzeta_model model;
    sample_table table;
    for (const Tstandard& standard : standards()) {
        auto* sample = new Tlumo_sample;
        parse_text_line(sample, text_answer(ALL_LAMPS, model.reading(standard.cell), false, 0, 0).c_str());
        sample->tracer = uint8_t(standard.tracer_code);
        sample->concentration = uint8_t(standard.concentration_code);
        if (!sample_table_add(&table, sample, CONFIGURATION_I_II_III)) delete sample;
    }
    Tlumo_calibration_calc calc;
    calc.set_header(2, 4711, 2024, 5, 6);
    calc.compute(&table);
    for (int lamp = 0; lamp < 3; ++lamp) calc.set_lamp_tracer(char('A' + lamp), uint8_t(TRACERS[lamp]));
    const bool valid = calc.check_validity() == 0;
    calc.write_legacy_text(out);
    return valid;
}
