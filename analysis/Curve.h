#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/Time_series.h"

// The background of a lamp: the level its concentrations sit at without
// dye, and their spread there.
struct Tbackground {
    bool known = false;
    double level = 0.0;  // ppb
    double sd = 0.0;     // ppb; 0 when there is no spread to measure
    std::string reason;  // why it is not known
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
    static constexpr double GAP_INTERVALS = 3.0;   // a longer step is a gap, not bridged
    static constexpr double SD_FACTOR = 3.0;       // threshold: background + 3 sd...
    static constexpr double PEAK_SHARE = 0.01;     // ...or + 1 % of the peak without spread
    static constexpr size_t MOMENT_ROWS = 10;      // rows above it for meaningful moments

    std::vector<Ttime_point> points;
    double interval = 0.0;   // the median step between points, s
    double threshold = 0.0;  // ppb above background
    size_t peak = NONE;      // the highest point
    size_t arrival = NONE;   // the first of ARRIVAL_ROWS consecutive points above the threshold
    size_t rows_above = 0;
    bool returned = false;   // the last ARRIVAL_ROWS points, after the peak, are at or below the threshold
    bool fallen = false;     // a point after the peak is below half of it

    // Whether the step from point i to i + 1 is integrated.
    bool bridged(size_t i) const { return points[i + 1].t - points[i].t <= GAP_INTERVALS * interval; }
};

Tcurve make_curve(const std::vector<Ttime_point>& series, double injection_utc, const Tbackground& background);
