#pragma once
#include <cstddef>

#include "analysis/Curve.h"

class Tchart_sink;

// Where the chart's lines break for missing rows: the tracer test's rule of
// bridged steps (bridged_step_limit), applied to the rows' times as they
// arrive, so that the chart joins what the analysis integrates and breaks
// where it does not. A step's decision rests on the steps either side, so
// the decisions of the newest steps may change as rows follow; the sink is
// told of every break placed or taken back, in the middle of its step.
class Tchart_breaks {
public:
    // The time of the next row. A row no later than the one before adds no
    // step: the analysis takes rows of one second as one.
    void add(double time, Tchart_sink* sink);

private:
    // Steps whose decision may still change, and the neighbours each needs.
    static constexpr size_t OPEN_STEPS = Tcurve::GAP_NEIGHBOURS + 1;
    static constexpr size_t KEPT_STEPS = OPEN_STEPS + Tcurve::GAP_NEIGHBOURS;

    void keep(double time);

    double last_time = 0.0;
    bool started = false;
    size_t count = 0;                 // steps kept, oldest first
    double steps[KEPT_STEPS] = {};
    double starts[KEPT_STEPS] = {};   // the time each step starts at
    bool broken[KEPT_STEPS] = {};
};
