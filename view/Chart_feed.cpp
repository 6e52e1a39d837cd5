#include "view/Chart_feed.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "view/Measure_table.h"

namespace {

// Room beside the data, as a share of its span.
constexpr double MARGIN = 0.03;
// A single measurement is shown in the middle of ten minutes.
constexpr double SINGLE_TIME_HALF_SPAN_S = 300.0;

}  // namespace

void Tchart_extent::include(double value)
{
    if (std::isnan(value)) return;
    low = std::min(low, value);
    high = std::max(high, value);
}

void Tchart_extent::include(const Tchart_extent& other)
{
    if (other.empty()) return;
    include(other.low);
    include(other.high);
}

void Tchart_feed::reset(const Tchart_plan& plan, bool logarithmic)
{
    *this = Tchart_feed();
    current = plan;
    log_axis = logarithmic;
}

void Tchart_feed::add(const Tmeasure_row& row, Tchart_sink* sink)
{
    const double time = row.timestamp;
    const double gap = std::numeric_limits<double>::quiet_NaN();
    for (int lamp = 0; lamp < Tchart_plan::SERIES; ++lamp) {
        const bool logarithmic = log_axis && lamp != Tchart_plan::RIGHT_AXIS_SERIES;
        const double value = chart_value(current, row, lamp, logarithmic);
        const bool floor = chart_at_floor(current, row, lamp);
        value_extent[lamp].include(value);
        add_value(lamp, time, floor ? gap : value, sink);
        add_value(Tchart_plan::FLOOR_SERIES + lamp, time, floor ? value : gap, sink);
    }
    breaks.add(time, sink);
    time_extent.include(time);
    ++row_count;
}

void Tchart_feed::add_value(int series, double time, double value, Tchart_sink* sink)
{
    const bool gap = std::isnan(value);
    if (gap && in_gap[series]) return;
    in_gap[series] = gap;
    sink->add_point(series, time, value);
}

Tchart_range follow_time_range(const Tchart_extent& times)
{
    if (times.empty()) return {0.0, 1.0};
    const double span = times.high - times.low;
    if (span <= 0) return {times.low - SINGLE_TIME_HALF_SPAN_S, times.high + SINGLE_TIME_HALF_SPAN_S};
    return {times.low - MARGIN * span, times.high + MARGIN * span};
}

Tchart_range follow_value_range(const Tchart_extent& values, bool logarithmic)
{
    if (logarithmic) {
        if (values.empty()) return {0.1, 100.0};
        // The margin as a factor: a share of the span in decades.
        const double factor = std::max(std::pow(values.high / values.low, MARGIN), 1.5);
        return {values.low / factor, values.high * factor};
    }
    if (values.empty()) return {0.0, 1.0};
    // From zero: a concentration, a turbidity or a signal is read against
    // nothing, and a steady value's noise does not fill the chart.
    const double low = std::min(values.low, 0.0);
    const double high = std::max(values.high, 0.0);
    const double margin = high > low ? MARGIN * (high - low) : 1.0;
    return {values.low >= 0 ? 0.0 : low - margin, high + margin};
}
