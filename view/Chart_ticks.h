#pragma once
#include <string>
#include <vector>

// The labelled ticks of the chart's time axes, at round steps, about
// `wanted` of them between lower and upper (seconds since 1970, UTC).
struct Tchart_tick {
    double time;
    std::string label;
};

// The date axis: each tick shows its time of day ("hh:mm", "hh:mm:ss" for
// steps under a minute); the first tick and the first of each new day also
// show the date below it, so that no tick repeats it. Steps of a day or
// more show the day ("dd.mm."), with the year at the first tick and at a new
// year.
std::vector<Tchart_tick> date_ticks(double lower, double upper, int wanted);

// The axis of hours since the injection: round steps of 1, 2 or 5 times a
// power of ten hours, labelled in hours with the decimals the step needs.
std::vector<Tchart_tick> hours_ticks(double lower, double upper, double injection_utc, int wanted);
