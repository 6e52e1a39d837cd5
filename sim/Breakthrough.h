#pragma once
#include <string>
#include <string_view>

#include "sim/Zeta_model.h"

// A tracer test seen at the spring: after an injection at time 0 the dye
// arrives, peaks and tails off following the one-dimensional
// advection-dispersion curve (t0/t)^1.5 exp(-Pe (t - t0)^2 / (4 t t0)),
// scaled so that its maximum is the peak concentration. It is the
// flux-weighted solution for an instantaneous injection, x / sqrt(4 pi D
// t^3) exp(-(x - v t)^2 / (4 D t)), with t0 = x / v and Pe = v x / D: its
// mean residence time is t0 exactly and its variance 2 t0^2 / Pe, so the
// method of moments gives back both.
struct Tbreakthrough {
    int tracer_code = tracer::uranine;
    double peak_ppb = 50.0;
    double transit_s = 600.0;  // mean transit time t0
    double peclet = 20.0;      // Pe: larger is a sharper peak

    double ppb_at(double seconds) const;
    double peak_time_s() const;
};

// Reads "breakthrough" or "breakthrough:tracer=eosine,peak=40,transit=300,
// peclet=10" (any subset of the keys). False with a reason in `error` for
// another scenario name, an unknown key or a bad value.
bool parse_breakthrough(std::string_view text, Tbreakthrough& scenario, std::string& error);
