#pragma once
#include <vector>

// Where the labels of the chart's markers go, in pixels across the plot: a
// label stands right of its line, or left of it where it would run past the
// plot's right edge, and never starts left of the plot, so that none is cut
// off; labels that would overlap go on the next row down. The label of a
// line outside the plot is not shown.
struct Tlabel_box {
    double line_x;
    double width;
};

struct Tlabel_place {
    bool shown;
    double left;  // the label's left edge
    int row;
};

std::vector<Tlabel_place> place_marker_labels(const std::vector<Tlabel_box>& labels, double left_edge,
                                              double right_edge);
