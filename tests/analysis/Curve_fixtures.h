#pragma once
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "events/Lib_cpp.h"
#include "sim/Zeta_model.h"
#include "view/Measure_table.h"

constexpr double INJECTION_UTC = 1796724000;  // 08.12.2026 10:00:00 UTC

// An instantaneous injection of mass M into a stream of discharge Q, seen
// at distance x by the one-dimensional advection-dispersion equation, in
// its flux-weighted form:
//     C(t) = M / Q * x / sqrt(4 pi D t^3) * exp(-(x - v t)^2 / (4 D t)).
// Q C is M times the inverse Gaussian density, so its moments are exact:
// integral M, mean x / v, variance 2 D x / v^3. (The resident form,
// M / (A sqrt(4 pi D t)) exp(...), has the mean x / v + 2 D / v^2.)
struct Tadvection_dispersion {
    double x_m;
    double v_m_s;
    double d_m2_s;
    double mass_g;
    double q_l_s;

    double ppb_at(double t) const
    {
        if (t <= 0)
            return 0.0;
        const double ug_s_per_l = mass_g * 1e6 / q_l_s;
        return ug_s_per_l * x_m / std::sqrt(4 * std::numbers::pi * d_m2_s * t * t * t) *
               std::exp(-(x_m - v_m_s * t) * (x_m - v_m_s * t) / (4 * d_m2_s * t));
    }
    double mean_s() const { return x_m / v_m_s; }
    double variance_s2() const { return 2 * d_m2_s * x_m / (v_m_s * v_m_s * v_m_s); }
};

// The concentration the simulator's lamp A reads for uranine at ppb with
// its noise (level as its --noise), turned back into ppb through the
// model's own linear response.
class Tnoisy_lamp {
public:
    Tnoisy_lamp(double level, unsigned seed) : level(level), rng(seed)
    {
        sensitivity = (reading(100.0).delta_mv[0] - reading(0.0).delta_mv[0]) / 100.0;
    }

    double operator()(double ppb)
    {
        Tzeta_reading r = reading(ppb);
        const double clean = r.delta_mv[0];
        model.add_noise(r, level, rng);
        return ppb + (r.delta_mv[0] - clean) / sensitivity;
    }

private:
    Tzeta_reading reading(double ppb) const
    {
        Tcell cell;
        cell.ppb[tracer::uranine] = ppb;
        return model.reading(cell);
    }

    Tzeta_model model;
    double level;
    std::mt19937 rng;
    double sensitivity;
};

// Table rows every step seconds from `from` to `to` seconds after the
// injection, lamp A from ppb(t), in the table's single precision rounded to
// its three decimals; lamps B and C and the deltas undefined.
inline std::vector<Tmeasure_row> curve_rows(const std::function<double(double)>& ppb, double from, double to,
                                            double step = 10.0)
{
    std::vector<Tmeasure_row> rows;
    for (double t = from; t <= to; t += step) {
        Tmeasure_row row{};
        row.timestamp = int32_t(INJECTION_UTC + t);
        for (float& value : row.delta)
            value = undefined_float();
        row.temperature = row.ntu = undefined_float();
        row.ppb[0] = float(std::round(ppb(t) * 1000.0) / 1000.0);
        row.ppb[1] = row.ppb[2] = undefined_float();
        rows.push_back(row);
    }
    return rows;
}
