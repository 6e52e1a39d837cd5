#pragma once
#include <array>
#include <cstdint>
#include <random>

#include "calibration/Lumo_sample.h"

// The optical response of the simulated ZETA QX-2: what the four lamps read
// for a given content of the cell.

// Tracer codes of the instrument; a cell holds one concentration per code.
namespace tracer {
constexpr int water = 1;
constexpr int uranine = 2;
constexpr int eosine = 3;
constexpr int sulforhodamine_b = 4;
constexpr int amino_g_acid = 5;
constexpr int naphtionate = 6;
constexpr int code_count = 7;  // codes 0..6; 0 and 1 carry no dye
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
