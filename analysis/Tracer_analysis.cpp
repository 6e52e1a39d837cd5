#include "analysis/Tracer_analysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/Curve.h"
#include "analysis/Discharge.h"
#include "analysis/Input_text.h"
#include "analysis/Moments.h"
#include "analysis/Tracer_inputs.h"
#include "events/Lib_cpp.h"
#include "view/Measure_table.h"

namespace {

constexpr double MICROGRAMS_PER_GRAM = 1e6;
constexpr double HELD_SHARE_LIMIT = 0.01;  // discharge held for more of the mass: provisional
constexpr double BACKGROUND_SENSITIVITY = 0.05;  // a change beyond it when the background moves: provisional

std::string ppb_text(double ppb) { return fixed_number_text(ppb, 3) + " ppb"; }

void all_missing(Tlamp_analysis* a, int from, const std::string& reason)
{
    for (int result = from; result < RESULT_COUNT; ++result)
        a->figures[result] = Tfigure::missing(reason);
    if (from <= RESULT_PEAK_PPB)
        a->curve_end = Tfigure::missing(reason);
}

std::string no_arrival_reason(const Tcurve& curve)
{
    if (curve.points.empty())
        return "no rows from the injection on";
    if (curve.points[curve.peak].value <= 0)
        return "the dye has not arrived: no row above background";
    return "the dye has not arrived: no " + std::to_string(Tcurve::ARRIVAL_ROWS) + " consecutive rows more than " +
           ppb_text(curve.threshold) + " above background";
}

// The highest row need not be the peak when rows are missing beside rows
// as high as it (within the noise, the arrival threshold): the curve may
// have been higher while no rows came.
std::vector<std::string> gaps_at_peak(const Tcurve& curve)
{
    std::vector<std::string> gaps;
    const double peak = curve.points[curve.peak].value;
    const auto as_high = [&](size_t i) { return peak - curve.points[i].value <= curve.threshold; };
    for (size_t i = 0; i + 1 < curve.points.size(); ++i)
        if (!curve.bridged(i) && (as_high(i) || as_high(i + 1)))
            gaps.push_back("no rows for " + fixed_number_text(curve.points[i + 1].t - curve.points[i].t, 0) +
                           " s from " + fixed_number_text(curve.points[i].t, 0) +
                           " s on, beside rows as high as the peak: the curve may have been higher in that gap");
    return gaps;
}

void arrival_figures(const Tcurve& curve, Tlamp_analysis* a)
{
    const Ttime_point& arrival = curve.points[curve.arrival];
    const double before = curve.arrival > 0 ? curve.points[curve.arrival - 1].t : 0.0;
    a->figures[RESULT_FIRST_ARRIVAL] = Tfigure::of(arrival.t);
    const size_t step = curve.arrival > 0 ? curve.arrival - 1 : 0;
    if (step < curve.step_limits.size() && arrival.t - before > curve.step_limits[step])
        a->figures[RESULT_FIRST_ARRIVAL].lower(Tfigure_state::provisional,
                                               "no rows for " + fixed_number_text(arrival.t - before, 0) +
                                                   " s before it: the dye may have come earlier");
    const Ttime_point& peak = curve.points[curve.peak];
    const std::vector<std::string> gaps = gaps_at_peak(curve);
    for (const auto& [result, value] : {std::pair{RESULT_PEAK_TIME, peak.t}, {RESULT_PEAK_PPB, peak.value}}) {
        a->figures[result] = Tfigure::of(value);
        if (!curve.fallen)
            a->figures[result].lower(Tfigure_state::provisional,
                                     "the curve may still be rising: no row after the peak below half of it");
        for (const std::string& gap : gaps)
            a->figures[result].lower(Tfigure_state::provisional, gap);
    }
}

// The state every moment shares: how complete the curve and its discharge are.
Tfigure moment_state(const Tcurve& curve, const Tmoments& m, const Tdischarge& discharge, double max_gap_s)
{
    Tfigure state = Tfigure::of(0.0);
    if (m.flux <= 0.0) {
        state.lower(Tfigure_state::not_available, "no mass above background");
        return state;
    }
    if (m.extrapolated)
        state.lower(Tfigure_state::provisional,
                    "the curve has not come back to background: its falling limb is extrapolated exponentially "
                    "beyond the last row for " +
                        fixed_number_text(100.0 * m.extrapolated_share, 1) + " % of the mass");
    else if (curve.end == Tcurve::NONE)
        state.lower(Tfigure_state::provisional, "the curve has not come back to background: no " +
                                                    std::to_string(Tcurve::END_ROWS) + " rows after the peak within " +
                                                    ppb_text(curve.end_threshold) + " of it");
    if (curve.rows_above < Tcurve::MOMENT_ROWS)
        state.lower(Tfigure_state::provisional, "only " + std::to_string(curve.rows_above) +
                                                    " rows above background (" +
                                                    std::to_string(Tcurve::MOMENT_ROWS) + " wanted)");
    if (m.gaps > 0)
        state.lower(Tfigure_state::provisional,
                    std::to_string(m.gaps) + " gaps longer than " +
                        (is_undefined_double(max_gap_s)
                             ? fixed_number_text(Tcurve::GAP_INTERVALS, 0) + " sampling intervals"
                             : fixed_number_text(max_gap_s, 0) + " s") +
                        " not bridged (longest " + fixed_number_text(m.longest_gap_s, 0) + " s)");
    if (discharge.from_file() && std::fabs(m.held_share) >= HELD_SHARE_LIMIT)
        state.lower(Tfigure_state::provisional,
                    "the discharge file covers " + utc_date_text(discharge.first_time()) + " to " +
                        utc_date_text(discharge.last_time()) + " only: its nearest value stands in for " +
                        fixed_number_text(100.0 * std::fabs(m.held_share), 0) + " % of the mass");
    return state;
}

void moment_figures(const Tmoments& m, const Tfigure& state, double injected_g, bool discharge, Tlamp_analysis* a)
{
    const double mass_g = m.flux / MICROGRAMS_PER_GRAM;
    a->figures[RESULT_MASS] = derived_figure(mass_g, state);
    if (!discharge)
        a->figures[RESULT_MASS].lower(Tfigure_state::not_available, "no discharge given");
    a->figures[RESULT_RECOVERY] = derived_figure(100.0 * mass_g / injected_g, a->figures[RESULT_MASS]);
    if (is_undefined_double(injected_g))
        a->figures[RESULT_RECOVERY].lower(Tfigure_state::not_available, "no injected mass given");
    a->figures[RESULT_MEAN_RESIDENCE] = derived_figure(m.mean_s, state);
    a->figures[RESULT_VARIANCE] = derived_figure(m.variance_s2, state);
    if (state.has_value() && m.variance_s2 <= 0.0)
        a->figures[RESULT_VARIANCE].lower(Tfigure_state::not_available, "no spread in time");
}

double relative_change(double moved, double value) { return value != 0.0 ? std::fabs(moved / value - 1.0) : 0.0; }

// The mass, mean and variance are provisional when moving the background by
// the standard error of its mean changes them by more than
// BACKGROUND_SENSITIVITY: the tail's integral then decides the answer.
void background_sensitivity(const std::vector<Ttime_point>& series, const Tbackground& background,
                            const Ttracer_inputs& inputs, const Tdischarge& discharge, const Tmoments& m,
                            Tlamp_analysis* a)
{
    if (background.standard_error <= 0.0)
        return;
    double change[3] = {};
    for (const double sign : {-1.0, 1.0}) {
        Tbackground moved = background;
        moved.level += sign * background.standard_error;
        const Tcurve curve = make_curve(series, inputs.injection_utc, moved, inputs.max_gap_s);
        const Tmoments other = curve_moments(curve, discharge, inputs.injection_utc);
        const double changes[3] = {relative_change(other.flux, m.flux), relative_change(other.mean_s, m.mean_s),
                                   relative_change(other.variance_s2, m.variance_s2)};
        for (int i = 0; i < 3; ++i)
            change[i] = std::max(change[i], curve.arrival == Tcurve::NONE ? 1.0 : changes[i]);
    }
    const std::pair<Tresult, const char*> figures[3] = {
        {RESULT_MASS, "the mass"}, {RESULT_MEAN_RESIDENCE, "the mean residence time"}, {RESULT_VARIANCE, "the variance"}};
    for (int i = 0; i < 3; ++i)
        if (change[i] > BACKGROUND_SENSITIVITY)
            a->figures[figures[i].first].lower(Tfigure_state::provisional,
                                               "moving the background by its standard error (" +
                                                   fixed_number_text(background.standard_error, 4) + " ppb) changes " +
                                                   figures[i].second + " by " +
                                                   fixed_number_text(100.0 * change[i], 0) + " %");
    a->figures[RESULT_RECOVERY].lower(a->figures[RESULT_MASS].state, a->figures[RESULT_MASS].reason);
}

Tfigure curve_end(const Tcurve& curve)
{
    if (curve.end != Tcurve::NONE)
        return Tfigure::of(curve.points[curve.end].t);
    return Tfigure::missing("the record ends before the curve is back to background");
}

// x / t, unless t is 0.
Tfigure velocity(double distance_m, const Tfigure& time)
{
    Tfigure v = derived_figure(time.value > 0 ? distance_m / time.value : 0.0, time);
    if (time.has_value() && time.value <= 0)
        v.lower(Tfigure_state::not_available, "no time after the injection");
    return v;
}

void velocity_figures(double x, Tlamp_analysis* a)
{
    Tfigure* f = a->figures;
    if (is_undefined_double(x)) {
        all_missing(a, RESULT_VELOCITY_FIRST, "no distance given");
        return;
    }
    f[RESULT_VELOCITY_FIRST] = velocity(x, f[RESULT_FIRST_ARRIVAL]);
    f[RESULT_VELOCITY_PEAK] = velocity(x, f[RESULT_PEAK_TIME]);
    f[RESULT_VELOCITY_MEAN] = velocity(x, f[RESULT_MEAN_RESIDENCE]);
    const double v = f[RESULT_VELOCITY_MEAN].value;
    const double dispersion = f[RESULT_VARIANCE].value * v * v * v / (2.0 * x);
    f[RESULT_DISPERSION] = derived_figure(dispersion, f[RESULT_VARIANCE], f[RESULT_VELOCITY_MEAN]);
    f[RESULT_DISPERSIVITY] = derived_figure(v > 0 ? dispersion / v : 0.0, f[RESULT_DISPERSION]);
    f[RESULT_PECLET] = derived_figure(dispersion > 0 ? x * v / dispersion : 0.0, f[RESULT_DISPERSION]);
}

}  // namespace

Tlamp_analysis analyse_lamp(const std::vector<Ttime_point>& series, int lamp, const Ttracer_inputs& inputs,
                            const Tdischarge& discharge)
{
    Tlamp_analysis a;
    a.lamp = lamp;
    if (is_undefined_double(inputs.injection_utc)) {
        all_missing(&a, RESULT_BACKGROUND, "no injection time given");
        return a;
    }
    if (series.empty()) {
        all_missing(&a, RESULT_BACKGROUND, "no concentrations of this lamp in the rows");
        return a;
    }
    const Tbackground background = lamp_background(series, inputs.injection_utc, inputs.background_ppb[lamp]);
    if (!background.known) {
        all_missing(&a, RESULT_BACKGROUND, background.reason);
        return a;
    }
    a.background_sd = background.sd;
    a.figures[RESULT_BACKGROUND] = Tfigure::of(background.level);
    const Tcurve curve = make_curve(series, inputs.injection_utc, background, inputs.max_gap_s);
    if (curve.arrival == Tcurve::NONE) {
        all_missing(&a, RESULT_FIRST_ARRIVAL, no_arrival_reason(curve));
        return a;
    }
    arrival_figures(curve, &a);
    const Tmoments moments = curve_moments(curve, discharge, inputs.injection_utc);
    a.curve_end = curve_end(curve);
    moment_figures(moments, moment_state(curve, moments, discharge, inputs.max_gap_s), inputs.mass_g[lamp],
                   discharge.given(), &a);
    if (moments.flux > 0.0)
        background_sensitivity(series, background, inputs, discharge, moments, &a);
    velocity_figures(inputs.distance_m, &a);
    return a;
}

std::vector<Tlamp_analysis> analyse_lamp_series(const Tlamp_series& series, const Ttracer_inputs& inputs,
                                                const Tdischarge& discharge)
{
    std::vector<Tlamp_analysis> lamps;
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp) {
        const bool injected = !is_undefined_double(inputs.mass_g[lamp]);
        if (series[size_t(lamp)].empty() && !injected)
            continue;
        Tlamp_analysis analysis = analyse_lamp(series[size_t(lamp)], lamp, inputs, discharge);
        if (injected || analysis.figures[RESULT_FIRST_ARRIVAL].has_value())
            lamps.push_back(std::move(analysis));
    }
    return lamps;
}

std::vector<Tlamp_analysis> analyse_tracer_test(std::span<const Tmeasure_row> rows, const Ttracer_inputs& inputs,
                                                const Tdischarge& discharge)
{
    Tlamp_series series;
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp)
        series[size_t(lamp)] = lamp_series(rows, lamp);
    return analyse_lamp_series(series, inputs, discharge);
}
