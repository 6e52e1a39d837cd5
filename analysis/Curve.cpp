#include "analysis/Curve.h"

#include <algorithm>
#include <cmath>

#include "events/Lib_cpp.h"

namespace {

// Per step, the longest step bridged there.
std::vector<double> step_limits(const std::vector<Ttime_point>& points, double max_gap_s)
{
    const size_t n = points.size() < 2 ? 0 : points.size() - 1;
    std::vector<double> steps(n), limits(n);
    for (size_t i = 0; i < n; ++i)
        steps[i] = points[i + 1].t - points[i].t;
    for (size_t i = 0; i < n; ++i)
        limits[i] = bridged_step_limit(steps, i, max_gap_s);
    return limits;
}

size_t first_arrival(const Tcurve& curve)
{
    size_t run = 0;
    for (size_t i = 0; i < curve.points.size(); ++i) {
        run = curve.points[i].value > curve.threshold ? run + 1 : 0;
        if (run == Tcurve::ARRIVAL_ROWS)
            return i + 1 - Tcurve::ARRIVAL_ROWS;
    }
    return Tcurve::NONE;
}

size_t highest_point(const std::vector<Ttime_point>& points)
{
    return size_t(std::max_element(points.begin(), points.end(),
                                   [](const Ttime_point& a, const Ttime_point& b) { return a.value < b.value; }) -
                  points.begin());
}

// Whether the curve has fallen below half its peak after the peak, and
// where it is back within the background's noise.
void find_decline(Tcurve* curve)
{
    const std::vector<Ttime_point>& p = curve->points;
    const double peak = p[curve->peak].value;
    curve->fallen = std::any_of(p.begin() + long(curve->peak), p.end(),
                                [&](const Ttime_point& point) { return point.value < 0.5 * peak; });
    size_t run = 0;
    for (size_t i = curve->peak + 1; i < p.size(); ++i) {
        run = p[i].value < curve->end_threshold ? run + 1 : 0;
        if (run == Tcurve::END_ROWS) {
            curve->end = i + 1 - Tcurve::END_ROWS;
            return;
        }
    }
}

}  // namespace

double bridged_step_limit(std::span<const double> steps, size_t i, double max_gap_s)
{
    if (!is_undefined_double(max_gap_s))
        return max_gap_s;
    constexpr size_t reach = Tcurve::GAP_NEIGHBOURS;
    double around[2 * reach];
    size_t count = 0;
    for (size_t j = i > reach ? i - reach : 0; j < steps.size() && j <= i + reach; ++j)
        if (j != i)
            around[count++] = steps[j];
    if (count == 0)
        return steps[i];
    double* middle = around + count / 2;
    std::nth_element(around, middle, around + count);
    return Tcurve::GAP_INTERVALS * *middle;
}

Tbackground lamp_background(const std::vector<Ttime_point>& series, double injection_utc, double typed_ppb)
{
    Tbackground background;
    size_t before = 0;
    double sum = 0.0;
    while (before < series.size() && series[before].t < injection_utc)
        sum += series[before++].value;
    const double mean = before ? sum / double(before) : 0.0;
    if (before >= 2) {
        double squares = 0.0;
        for (size_t i = 0; i < before; ++i)
            squares += (series[i].value - mean) * (series[i].value - mean);
        background.sd = std::sqrt(squares / double(before - 1));
        background.standard_error = background.sd / std::sqrt(double(before));
    }
    if (!is_undefined_double(typed_ppb)) {
        background.known = true;
        background.level = typed_ppb;
    } else if (before > 0) {
        background.known = true;
        background.level = mean;
    } else {
        background.reason = "no rows before the injection to take the background from: type one";
    }
    return background;
}

Tcurve make_curve(const std::vector<Ttime_point>& series, double injection_utc, const Tbackground& background,
                  double max_gap_s)
{
    Tcurve curve;
    const auto first = std::lower_bound(series.begin(), series.end(), injection_utc,
                                        [](const Ttime_point& point, double t) { return point.t < t; });
    curve.points.reserve(size_t(series.end() - first));
    for (auto point = first; point != series.end(); ++point)
        curve.points.push_back({point->t - injection_utc, point->value - background.level});
    if (curve.points.empty())
        return curve;
    curve.step_limits = step_limits(curve.points, max_gap_s);
    curve.peak = highest_point(curve.points);
    const double peak = curve.points[curve.peak].value;
    curve.threshold = background.sd > 0 ? Tcurve::SD_FACTOR * background.sd : Tcurve::PEAK_SHARE * peak;
    curve.end_threshold = background.sd > 0 ? curve.threshold : Tcurve::END_PEAK_SHARE * peak;
    curve.rows_above = size_t(std::count_if(curve.points.begin(), curve.points.end(),
                                            [&](const Ttime_point& p) { return p.value > curve.threshold; }));
    curve.arrival = peak > 0 ? first_arrival(curve) : Tcurve::NONE;
    find_decline(&curve);
    return curve;
}
