#include "analysis/Tracer_analysis.h"

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

std::string ppb_text(double ppb) { return fixed_number_text(ppb, 3) + " ppb"; }

void all_missing(Tlamp_analysis* a, int from, const std::string& reason)
{
    for (int result = from; result < RESULT_COUNT; ++result)
        a->figures[result] = Tfigure::missing(reason);
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

void arrival_figures(const Tcurve& curve, Tlamp_analysis* a)
{
    const Ttime_point& arrival = curve.points[curve.arrival];
    const double before = curve.arrival > 0 ? curve.points[curve.arrival - 1].t : 0.0;
    a->figures[RESULT_FIRST_ARRIVAL] = Tfigure::of(arrival.t);
    if (arrival.t - before > Tcurve::GAP_INTERVALS * curve.interval)
        a->figures[RESULT_FIRST_ARRIVAL].lower(Tfigure_state::provisional,
                                               "no rows for " + fixed_number_text(arrival.t - before, 0) +
                                                   " s before it: the dye may have come earlier");
    const Ttime_point& peak = curve.points[curve.peak];
    for (const auto& [result, value] : {std::pair{RESULT_PEAK_TIME, peak.t}, {RESULT_PEAK_PPB, peak.value}}) {
        a->figures[result] = Tfigure::of(value);
        if (!curve.fallen)
            a->figures[result].lower(Tfigure_state::provisional,
                                     "the curve may still be rising: no row after the peak below half of it");
    }
}

// The state every moment shares: how complete the curve and its discharge are.
Tfigure moment_state(const Tcurve& curve, const Tmoments& m, const Tdischarge& discharge)
{
    Tfigure state = Tfigure::of(0.0);
    if (m.flux <= 0.0) {
        state.lower(Tfigure_state::not_available, "no mass above background");
        return state;
    }
    if (!curve.returned)
        state.lower(Tfigure_state::provisional, "the curve has not come back to background: its last " +
                                                    std::to_string(Tcurve::ARRIVAL_ROWS) +
                                                    " rows are not all within " + ppb_text(curve.threshold) +
                                                    " of it after the peak");
    if (curve.rows_above < Tcurve::MOMENT_ROWS)
        state.lower(Tfigure_state::provisional, "only " + std::to_string(curve.rows_above) +
                                                    " rows above background (" +
                                                    std::to_string(Tcurve::MOMENT_ROWS) + " wanted)");
    if (m.gaps > 0)
        state.lower(Tfigure_state::provisional,
                    std::to_string(m.gaps) + " gaps longer than " + fixed_number_text(Tcurve::GAP_INTERVALS, 0) +
                        " sampling intervals not bridged (longest " + fixed_number_text(m.longest_gap_s, 0) + " s)");
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

bool has_concentration(std::span<const Tmeasure_row> rows, int lamp)
{
    for (const Tmeasure_row& row : rows)
        if (!is_undefined(row.ppb[lamp]))
            return true;
    return false;
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
    const Tcurve curve = make_curve(series, inputs.injection_utc, background);
    if (curve.arrival == Tcurve::NONE) {
        all_missing(&a, RESULT_FIRST_ARRIVAL, no_arrival_reason(curve));
        return a;
    }
    arrival_figures(curve, &a);
    const Tmoments moments = curve_moments(curve, discharge, inputs.injection_utc);
    moment_figures(moments, moment_state(curve, moments, discharge), inputs.mass_g[lamp], discharge.given(), &a);
    velocity_figures(inputs.distance_m, &a);
    return a;
}

std::vector<Tlamp_analysis> analyse_tracer_test(std::span<const Tmeasure_row> rows, const Ttracer_inputs& inputs,
                                                const Tdischarge& discharge)
{
    std::vector<Tlamp_analysis> lamps;
    for (int lamp = 0; lamp < TRACER_LAMPS; ++lamp) {
        if (has_concentration(rows, lamp) || !is_undefined_double(inputs.mass_g[lamp]) ||
            !is_undefined_double(inputs.background_ppb[lamp]))
            lamps.push_back(analyse_lamp(lamp_series(rows, lamp), lamp, inputs, discharge));
    }
    return lamps;
}
