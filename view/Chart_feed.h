#pragma once
#include <limits>

#include "view/Chart_breaks.h"
#include "view/Chart_plan.h"

struct Tmeasure_row;

// Receives the points of the chart's series (Tchart_plan::DRAWN_SERIES), in
// row order. A NaN value is a gap.
class Tchart_sink {
public:
    virtual ~Tchart_sink() = default;
    virtual void add_point(int series, double time, double value) = 0;
    // A break of every line at a time between two rows where rows are
    // missing, or the break taken back (broken false).
    virtual void set_break(double time, bool broken) = 0;
};

// The smallest and largest of the values seen; empty until the first.
struct Tchart_extent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    bool empty() const { return !(low <= high); }
    void include(double value);
    void include(const Tchart_extent& other);
};

struct Tchart_range {
    double lower;
    double upper;
};

// Turns the table's rows into the points of the chart's series under one
// plan. A run of missing values becomes a single gap point, so that a lamp
// left unticked for weeks costs nothing; a series starts with its first
// value. A concentration at the conversion's floor goes to the lamp's floor
// series instead, and missing rows break the lines (Tchart_breaks). Keeps
// the extent of the times and of each lamp's values as rows arrive, so the
// chart never scans its points to fit its axes. The logarithmic scale is
// the left-hand axis's: lamp T keeps its linear axis.
class Tchart_feed {
public:
    void reset(const Tchart_plan& plan, bool logarithmic);
    void add(const Tmeasure_row& row, Tchart_sink* sink);

    const Tchart_plan& plan() const { return current; }
    bool logarithmic() const { return log_axis; }
    unsigned rows() const { return row_count; }
    const Tchart_extent& times() const { return time_extent; }
    // Of a lamp's line and floor series together.
    const Tchart_extent& values(int lamp) const { return value_extent[lamp]; }

private:
    void add_value(int series, double time, double value, Tchart_sink* sink);

    Tchart_plan current;
    bool log_axis = false;
    unsigned row_count = 0;
    bool in_gap[Tchart_plan::DRAWN_SERIES] = {true, true, true, true, true, true, true, true};
    Tchart_breaks breaks;
    Tchart_extent time_extent;
    Tchart_extent value_extent[Tchart_plan::SERIES];
};

// What the chart shows while it follows the record: every row in time, with
// a little room on either side, and the values of the shown series, on a
// linear axis from zero. An empty extent gives a default range.
Tchart_range follow_time_range(const Tchart_extent& times);
Tchart_range follow_value_range(const Tchart_extent& values, bool logarithmic);
