#pragma once
#include <cstddef>

class Tdischarge;
struct Tcurve;

// The moments of a curve's mass flux Q(t) C(t), by the trapezoidal rule over
// its points from the injection to the curve's end (Tcurve::last); steps
// that are gaps are left out. When the record stops before the curve is back
// within the noise, the mass flux of the falling limb is carried on
// exponentially beyond the last row, fitted to its last third.
// Without a discharge Q is taken as 1 (the time moments of a constant
// discharge).
struct Tmoments {
    double flux = 0.0;        // integral of Q C dt: L/s x ug/L x s = ug
    double mean_s = 0.0;      // integral of t Q C dt / flux
    double variance_s2 = 0.0; // integral of (t - mean)^2 Q C dt / flux
    double held_share = 0.0;  // share of the flux from steps where the discharge file's span was left
    double extrapolated_share = 0.0;  // share of the flux beyond the last row
    bool extrapolated = false;
    size_t gaps = 0;          // steps left out from the first arrival on
    double longest_gap_s = 0.0;
};

Tmoments curve_moments(const Tcurve& curve, const Tdischarge& discharge, double injection_utc);
