#include "analysis/Time_series.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "events/Lib_cpp.h"
#include "view/Measure_table.h"

void sort_and_merge(std::vector<Ttime_point>* points)
{
    const auto earlier = [](const Ttime_point& a, const Ttime_point& b) { return a.t < b.t; };
    if (!std::is_sorted(points->begin(), points->end(), earlier))
        std::stable_sort(points->begin(), points->end(), earlier);
    size_t kept = 0;
    for (size_t first = 0; first < points->size();) {
        size_t last = first + 1;
        double sum = (*points)[first].value;
        while (last < points->size() && (*points)[last].t == (*points)[first].t)
            sum += (*points)[last++].value;
        (*points)[kept++] = {(*points)[first].t, sum / double(last - first)};
        first = last;
    }
    points->resize(kept);
}

std::vector<Ttime_point> lamp_series(std::span<const Tmeasure_row> rows, int lamp)
{
    std::vector<Ttime_point> points;
    points.reserve(rows.size());
    for (const Tmeasure_row& row : rows) {
        const float ppb = row.ppb[lamp];
        if (!is_undefined(ppb) && std::isfinite(ppb))
            points.push_back({double(static_cast<uint32_t>(row.timestamp)), double(ppb)});
    }
    sort_and_merge(&points);
    return points;
}
