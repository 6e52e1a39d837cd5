#include "analysis/Moments.h"

#include <algorithm>
#include <vector>

#include "analysis/Curve.h"
#include "analysis/Discharge.h"

namespace {

// The mass flux Q C at each point (ug/s) and whether the discharge there
// was held at the file's nearest value.
void mass_flux(const Tcurve& curve, const Tdischarge& discharge, double injection_utc, std::vector<double>* flux,
               std::vector<char>* held)
{
    const size_t n = curve.points.size();
    flux->resize(n);
    held->assign(n, 0);
    for (size_t i = 0; i < n; ++i) {
        bool outside = false;
        const double q = discharge.given() ? discharge.at(curve.points[i].t + injection_utc, &outside) : 1.0;
        (*flux)[i] = q * curve.points[i].value;
        (*held)[i] = outside;
    }
}

// The trapezoidal integral of weight(t) x flux over the bridged steps.
template <typename Tweight>
double integral(const Tcurve& curve, const std::vector<double>& flux, Tweight weight)
{
    double sum = 0.0;
    for (size_t i = 0; i + 1 < curve.points.size(); ++i) {
        if (!curve.bridged(i))
            continue;
        const double a = curve.points[i].t, b = curve.points[i + 1].t;
        sum += 0.5 * (weight(a) * flux[i] + weight(b) * flux[i + 1]) * (b - a);
    }
    return sum;
}

}  // namespace

Tmoments curve_moments(const Tcurve& curve, const Tdischarge& discharge, double injection_utc)
{
    Tmoments m;
    std::vector<double> flux;
    std::vector<char> held;
    mass_flux(curve, discharge, injection_utc, &flux, &held);
    double held_flux = 0.0;
    for (size_t i = 0; i + 1 < curve.points.size(); ++i) {
        const double step = curve.points[i + 1].t - curve.points[i].t;
        if (!curve.bridged(i)) {
            if (curve.arrival != Tcurve::NONE && i + 1 > curve.arrival) {
                ++m.gaps;
                m.longest_gap_s = std::max(m.longest_gap_s, step);
            }
            continue;
        }
        if (held[i] || held[i + 1])
            held_flux += 0.5 * (flux[i] + flux[i + 1]) * step;
    }
    m.flux = integral(curve, flux, [](double) { return 1.0; });
    if (m.flux <= 0.0)
        return m;
    m.mean_s = integral(curve, flux, [](double t) { return t; }) / m.flux;
    const double mean = m.mean_s;
    m.variance_s2 = integral(curve, flux, [mean](double t) { return (t - mean) * (t - mean); }) / m.flux;
    m.held_share = held_flux / m.flux;
    return m;
}
