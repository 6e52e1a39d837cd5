#include "view/Chart_feed.h"

#include <algorithm>
#include <cmath>

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
    for (int series = 0; series < Tchart_plan::SERIES; ++series) {
        const double value = chart_value(current, row, series, log_axis);
        const bool gap = std::isnan(value);
        if (gap && in_gap[series]) continue;
        in_gap[series] = gap;
        value_extent[series].include(value);
        sink->add_point(series, time, value);
    }
    time_extent.include(time);
    ++row_count;
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
    const double span = values.high - values.low;
    const double margin = span > 0 ? MARGIN * span : std::max(std::fabs(values.high) * 0.1, 1.0);
    return {values.low - margin, values.high + margin};
}
