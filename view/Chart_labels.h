#pragma once
#include <vector>

// Where the labels of the chart's markers go, in pixels across the plot: a
// label stands right of its line, or left of it where it would run past the
// plot's right edge, so that no label is cut off; labels that would overlap
// go on the next row down.
struct Tlabel_box {
    double line_x;
    double width;
};

struct Tlabel_place {
    bool left_of_line;
    int row;
};

std::vector<Tlabel_place> place_marker_labels(const std::vector<Tlabel_box>& labels, double left_edge,
                                              double right_edge);
