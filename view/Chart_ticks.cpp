#include "view/Chart_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "analysis/Input_text.h"
#include "events/Lib_time.h"

namespace {

constexpr double MINUTE = 60.0;
constexpr double DAY = 86400.0;
// Steps a clock is read in: seconds, minutes, hours, then days.
constexpr double DATE_STEPS[] = {1,    2,    5,    10,    15,    30,    60,    120,   300,    600,    900,
                                 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800, 1209600};
constexpr double HOUR = 3600.0;
// A tick further than this outside the range is not made: a range of
// years asked in seconds would otherwise make millions.
constexpr int MOST_TICKS = 1000;

// The smallest step that gives at most `wanted` ticks over the span; beyond
// the table, multiples of its last step.
double date_step(double span, int wanted)
{
    const double least = span / std::max(wanted, 1);
    for (double step : DATE_STEPS)
        if (step >= least) return step;
    const double last = DATE_STEPS[std::size(DATE_STEPS) - 1];
    return last * std::ceil(least / last);
}

// 1, 2 or 5 times a power of ten, at least `least`.
double round_step(double least)
{
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double mantissa : {1.0, 2.0, 5.0, 10.0})
        if (mantissa * power >= least) return mantissa * power;
    return 10.0 * power;
}

// The multiples of step in [lower, upper], counted from origin.
std::vector<double> multiples(double lower, double upper, double origin, double step)
{
    std::vector<double> ticks;
    if (!(upper > lower) || !(step > 0)) return ticks;
    for (double k = std::ceil((lower - origin) / step); origin + k * step <= upper; ++k) {
        ticks.push_back(origin + k * step);
        if (ticks.size() == MOST_TICKS) break;
    }
    return ticks;
}

std::string date_label(const Tbroken_time& t, const Tbroken_time* before, double step)
{
    char text[40];
    const bool new_day = !before || before->day != t.day || before->month != t.month || before->year != t.year;
    const bool new_year = !before || before->year != t.year;
    if (step >= DAY) {
        if (new_year) std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.day, t.month, t.year);
        else std::snprintf(text, sizeof text, "%02d.%02d.", t.day, t.month);
        return text;
    }
    int length = step < MINUTE ? std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second)
                               : std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    if (new_day) std::snprintf(text + length, sizeof text - size_t(length), "\n%02d.%02d.%04d", t.day, t.month, t.year);
    return text;
}

}  // namespace

std::vector<Tchart_tick> date_ticks(double lower, double upper, int wanted)
{
    const double step = date_step(upper - lower, wanted);
    std::vector<Tchart_tick> ticks;
    Tbroken_time before;
    for (double time : multiples(lower, upper, 0.0, step)) {
        Tbroken_time t;
        break_down_time(&t, int(time), 0);
        ticks.push_back({time, date_label(t, ticks.empty() ? nullptr : &before, step)});
        before = t;
    }
    return ticks;
}

std::vector<Tchart_tick> hours_ticks(double lower, double upper, double injection_utc, int wanted)
{
    if (!(upper > lower)) return {};
    const double step_h = round_step((upper - lower) / HOUR / std::max(wanted, 1));
    const int decimals = std::max(0, int(-std::floor(std::log10(step_h) + 1e-9)));
    std::vector<Tchart_tick> ticks;
    for (double time : multiples(lower, upper, injection_utc, step_h * HOUR)) {
        double hours = (time - injection_utc) / HOUR;
        if (std::fabs(hours) < step_h / 2) hours = 0.0;  // not "-0.0"
        ticks.push_back({time, fixed_number_text(hours, decimals)});
    }
    return ticks;
}
