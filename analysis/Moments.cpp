#include "analysis/Moments.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/Curve.h"
#include "analysis/Discharge.h"

namespace {

constexpr double TAIL_SHARE = 1.0 / 3;  // the last third of the time from the peak to the last row
constexpr size_t TAIL_POINTS = 3;       // fewest points for the fit

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

// The trapezoidal integral of weight(t) x flux over the bridged steps up to
// the curve's end.
template <typename Tweight>
double integral(const Tcurve& curve, const std::vector<double>& flux, Tweight weight)
{
    double sum = 0.0;
    for (size_t i = 0; i < curve.last(); ++i) {
        if (!curve.bridged(i))
            continue;
        const double a = curve.points[i].t, b = curve.points[i + 1].t;
        sum += 0.5 * (weight(a) * flux[i] + weight(b) * flux[i + 1]) * (b - a);
    }
    return sum;
}

// The flux beyond the last row: flux_end exp(-rate (t - t_end)).
struct Ttail {
    double t_end = 0.0;
    double flux_end = 0.0;
    double rate = 0.0;  // 1/s

    // The integrals of (t - about)^power times the tail, power 0 to 2.
    double moment(int power, double about) const
    {
        const double d = t_end - about, k = rate;
        const double terms[3] = {1 / k, d / k + 1 / (k * k), d * d / k + 2 * d / (k * k) + 2 / (k * k * k)};
        return flux_end * terms[power];
    }
};

// A least-squares line through ln C over the last part of the falling limb;
// false when it has too few points above the noise or does not fall.
bool fit_tail(const Tcurve& curve, const std::vector<double>& flux, Ttail* tail)
{
    const std::vector<Ttime_point>& p = curve.points;
    const size_t last = p.size() - 1;
    if (!curve.fallen || last <= curve.peak || flux[last] <= 0.0)
        return false;
    const double from = p[last].t - TAIL_SHARE * (p[last].t - p[curve.peak].t);
    double n = 0, st = 0, sy = 0, stt = 0, sty = 0;
    for (size_t i = curve.peak + 1; i <= last; ++i) {
        if (p[i].t < from || p[i].value <= curve.end_threshold || flux[i] <= 0.0)
            continue;
        const double y = std::log(flux[i]);
        n += 1;
        st += p[i].t;
        sy += y;
        stt += p[i].t * p[i].t;
        sty += p[i].t * y;
    }
    const double spread = n * stt - st * st;
    if (n < double(TAIL_POINTS) || spread <= 0.0)
        return false;
    const double slope = (n * sty - st * sy) / spread;
    if (slope >= 0.0)
        return false;
    tail->t_end = p[last].t;
    tail->rate = -slope;
    tail->flux_end = std::exp((sy - slope * st) / n + slope * tail->t_end);
    return true;
}

}  // namespace

Tmoments curve_moments(const Tcurve& curve, const Tdischarge& discharge, double injection_utc)
{
    Tmoments m;
    std::vector<double> flux;
    std::vector<char> held;
    mass_flux(curve, discharge, injection_utc, &flux, &held);
    double held_flux = 0.0;
    for (size_t i = 0; i < curve.last(); ++i) {
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
    Ttail tail;
    m.extrapolated = curve.end == Tcurve::NONE && fit_tail(curve, flux, &tail);
    const double tail_flux = m.extrapolated ? tail.moment(0, 0.0) : 0.0;
    m.flux = integral(curve, flux, [](double) { return 1.0; }) + tail_flux;
    if (m.flux <= 0.0)
        return m;
    const double first = integral(curve, flux, [](double t) { return t; }) + (m.extrapolated ? tail.moment(1, 0.0) : 0.0);
    m.mean_s = first / m.flux;
    const double mean = m.mean_s;
    const double second = integral(curve, flux, [mean](double t) { return (t - mean) * (t - mean); }) +
                          (m.extrapolated ? tail.moment(2, mean) : 0.0);
    m.variance_s2 = second / m.flux;
    m.held_share = held_flux / m.flux;
    m.extrapolated_share = tail_flux / m.flux;
    return m;
}
