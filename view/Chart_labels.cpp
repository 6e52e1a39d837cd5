#include "view/Chart_labels.h"

#include <algorithm>

namespace {

bool overlaps(const Tlabel_place& place, double width_of_place, double from, double to)
{
    return place.left < to && from < place.left + width_of_place;
}

}  // namespace

std::vector<Tlabel_place> place_marker_labels(const std::vector<Tlabel_box>& labels, double left_edge,
                                              double right_edge)
{
    std::vector<Tlabel_place> places;
    for (const Tlabel_box& label : labels) {
        if (label.line_x < left_edge || label.line_x > right_edge) {
            places.push_back({false, 0.0, 0});
            continue;
        }
        double from = label.line_x + label.width > right_edge ? label.line_x - label.width : label.line_x;
        from = std::max(from, left_edge);
        const double to = from + label.width;
        const auto taken = [&](int row) {
            for (size_t i = 0; i < places.size(); ++i)
                if (places[i].shown && places[i].row == row && overlaps(places[i], labels[i].width, from, to))
                    return true;
            return false;
        };
        int row = 0;
        while (taken(row)) ++row;
        places.push_back({true, from, row});
    }
    return places;
}
