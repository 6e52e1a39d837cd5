#include "view/Chart_labels.h"

#include <algorithm>

namespace {

struct Tspan {
    double from;
    double to;
    int row;
};

bool overlaps(const Tspan& a, double from, double to) { return a.from < to && from < a.to; }

}  // namespace

std::vector<Tlabel_place> place_marker_labels(const std::vector<Tlabel_box>& labels, double left_edge,
                                              double right_edge)
{
    std::vector<Tlabel_place> places;
    std::vector<Tspan> taken;
    for (const Tlabel_box& label : labels) {
        // Left of the line only where that keeps it inside on the left too.
        const bool left = label.line_x + label.width > right_edge && label.line_x - label.width >= left_edge;
        const double from = left ? label.line_x - label.width : label.line_x;
        const double to = from + label.width;
        int row = 0;
        while (std::any_of(taken.begin(), taken.end(),
                           [&](const Tspan& other) { return other.row == row && overlaps(other, from, to); }))
            ++row;
        taken.push_back({from, to, row});
        places.push_back({left, row});
    }
    return places;
}
