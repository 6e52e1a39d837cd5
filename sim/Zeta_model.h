#pragma once
#include <array>
#include <cstdint>
#include <random>

#include "calibration/Lumo_sample.h"
#include "view/Codes.h"

// The optical response of the simulated ZETA QX-2: what the four lamps read
// for a given content of the cell.

// The instrument's tracer codes as the simulator spells them; a cell holds
// one concentration per code.
namespace tracer {
constexpr int water = TRACER_WATER;
constexpr int uranine = TRACER_URANINE;
constexpr int eosine = TRACER_EOSINE;
constexpr int sulforhodamine_b = TRACER_SULFORHODAMINE_B;
constexpr int amino_g_acid = TRACER_AMINO_G_ACID;
constexpr int naphtionate = TRACER_NAPHTIONATE;
constexpr int code_count = TRACER_CODE_COUNT + 1;  // codes 0..6; 0 and 1 carry no dye
}  // namespace tracer

// What is in the cell: clean water plus any dye concentrations and turbidity.
struct Tcell {
    std::array<double, tracer::code_count> ppb{};  // by tracer code
    double ntu = 0.0;

    bool operator==(const Tcell&) const = default;
};

// One measurement of all four lamps, in the instrument's units.
struct Tzeta_reading {
    std::array<double, LAMP_COUNT> off_mv{};    // lamp off (dark) signal
    std::array<double, LAMP_COUNT> delta_mv{};  // lamp on minus lamp off
    double temperature_c = 0.0;
    double battery_v = 0.0;

    double on_mv(int lamp) const { return off_mv[lamp] + delta_mv[lamp]; }
};

class Tzeta_model {
public:
    // The noise-free reading for a cell.
    Tzeta_reading reading(const Tcell& cell) const;

    // Adds seeded Gaussian noise: the standard deviation of a lamp delta is
    // level x (1 mV + 1 % of the delta), that of a dark signal level x 0.2 mV.
    void add_noise(Tzeta_reading& reading, double level, std::mt19937& rng) const;

    double temperature_c = 11.5;
    double battery_v = 12.4;
};
