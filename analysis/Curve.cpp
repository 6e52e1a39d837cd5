#include "analysis/Curve.h"

#include <algorithm>
#include <cmath>

#include "events/Lib_cpp.h"

namespace {

double median_step(const std::vector<Ttime_point>& points)
{
    if (points.size() < 2)
        return 0.0;
    std::vector<double> steps(points.size() - 1);
    for (size_t i = 0; i + 1 < points.size(); ++i)
        steps[i] = points[i + 1].t - points[i].t;
    const auto middle = steps.begin() + steps.size() / 2;
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
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

// Whether the curve has fallen below half its peak, and come back to
// background, after the peak.
void find_decline(Tcurve* curve)
{
    const std::vector<Ttime_point>& p = curve->points;
    const double peak = p[curve->peak].value;
    curve->fallen = std::any_of(p.begin() + long(curve->peak), p.end(),
                                [&](const Ttime_point& point) { return point.value < 0.5 * peak; });
    const size_t tail = Tcurve::ARRIVAL_ROWS;
    curve->returned = p.size() >= tail && p.size() - tail > curve->peak &&
                      std::all_of(p.end() - long(tail), p.end(),
                                  [&](const Ttime_point& point) { return point.value <= curve->threshold; });
}

}  // namespace

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

Tcurve make_curve(const std::vector<Ttime_point>& series, double injection_utc, const Tbackground& background)
{
    Tcurve curve;
    const auto first = std::lower_bound(series.begin(), series.end(), injection_utc,
                                        [](const Ttime_point& point, double t) { return point.t < t; });
    curve.points.reserve(size_t(series.end() - first));
    for (auto point = first; point != series.end(); ++point)
        curve.points.push_back({point->t - injection_utc, point->value - background.level});
    if (curve.points.empty())
        return curve;
    curve.interval = median_step(curve.points);
    curve.peak = highest_point(curve.points);
    const double peak = curve.points[curve.peak].value;
    curve.threshold = background.sd > 0 ? Tcurve::SD_FACTOR * background.sd : Tcurve::PEAK_SHARE * peak;
    curve.rows_above = size_t(std::count_if(curve.points.begin(), curve.points.end(),
                                            [&](const Ttime_point& p) { return p.value > curve.threshold; }));
    curve.arrival = peak > 0 ? first_arrival(curve) : Tcurve::NONE;
    find_decline(&curve);
    return curve;
}
