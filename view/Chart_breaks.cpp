#include "view/Chart_breaks.h"

#include <algorithm>
#include <span>

#include "events/Lib_cpp.h"
#include "view/Chart_feed.h"

void Tchart_breaks::add(double time, Tchart_sink* sink)
{
    if (started && time <= last_time) return;
    if (started) keep(time);
    started = true;
    last_time = time;
    const std::span<const double> kept(steps, count);
    for (size_t i = count > OPEN_STEPS ? count - OPEN_STEPS : 0; i < count; ++i) {
        const bool gap = steps[i] > bridged_step_limit(kept, i, undefined_double());
        if (gap == broken[i]) continue;
        broken[i] = gap;
        sink->set_break(starts[i] + 0.5 * steps[i], gap);
    }
}

// The step to this time, the oldest dropped once its decision is final.
void Tchart_breaks::keep(double time)
{
    if (count == KEPT_STEPS) {
        std::shift_left(steps, steps + count, 1);
        std::shift_left(starts, starts + count, 1);
        std::shift_left(broken, broken + count, 1);
        --count;
    }
    steps[count] = time - last_time;
    starts[count] = last_time;
    broken[count] = false;
    ++count;
}
