#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "analysis/Time_series.h"

// The background of a lamp: the level its concentrations sit at without
// dye, and their spread there.
struct Tbackground {
    bool known = false;
    double level = 0.0;           // ppb
    double sd = 0.0;              // ppb; 0 when there is no spread to measure
    double standard_error = 0.0;  // of the mean of the rows before the injection, ppb; 0 without spread
    std::string reason;           // why it is not known
};

// typed_ppb undefined: the mean and the standard deviation of the points
// before the injection. A typed level keeps the spread of those points
// (when there are two or more) for the arrival threshold.
Tbackground lamp_background(const std::vector<Ttime_point>& series, double injection_utc, double typed_ppb);

// The breakthrough curve of one lamp: its points from the injection on,
// times in seconds after the injection and concentrations above background.
struct Tcurve {
    static constexpr size_t NONE = static_cast<size_t>(-1);
    static constexpr int ARRIVAL_ROWS = 3;         // consecutive rows above the threshold
    static constexpr int END_ROWS = 5;             // consecutive rows within the noise end the curve
    static constexpr double GAP_INTERVALS = 3.0;   // a step longer than 3 local sampling intervals is a gap
    static constexpr size_t GAP_NEIGHBOURS = 2;    // steps either side giving the local sampling interval
    static constexpr double SD_FACTOR = 3.0;       // threshold: background + 3 sd...
    static constexpr double PEAK_SHARE = 0.01;     // ...or + 1 % of the peak without spread
    static constexpr double END_PEAK_SHARE = 0.001;  // the end without spread: below 0.1 % of the peak
    static constexpr size_t MOMENT_ROWS = 10;      // rows above it for meaningful moments

    std::vector<Ttime_point> points;
    std::vector<double> step_limits;  // the longest step bridged from each point to the next, s
    double threshold = 0.0;      // ppb above background
    double end_threshold = 0.0;  // ppb above background
    size_t peak = NONE;      // the highest point
    size_t arrival = NONE;   // the first of ARRIVAL_ROWS consecutive points above the threshold
    size_t end = NONE;       // after the peak, the first of END_ROWS consecutive points within the noise
    size_t rows_above = 0;
    bool fallen = false;     // a point after the peak is below half of it

    // Whether the step from point i to i + 1 is integrated.
    bool bridged(size_t i) const { return points[i + 1].t - points[i].t <= step_limits[i]; }
    // The last point integrated: the curve's end, else the record's.
    size_t last() const { return end != NONE ? end : points.size() - 1; }
};

// The longest step bridged at steps[i], the step from a point to the next.
// max_gap_s undefined: GAP_INTERVALS times the median of the steps around
// it (GAP_NEIGHBOURS either side, as far as there are), so that a change of
// the sampling interval is bridged and an outage is not; the step itself
// when it has no neighbour. Else max_gap_s.
double bridged_step_limit(std::span<const double> steps, size_t i, double max_gap_s);

// The curve's steps are bridged by bridged_step_limit.
Tcurve make_curve(const std::vector<Ttime_point>& series, double injection_utc, const Tbackground& background,
                  double max_gap_s);
