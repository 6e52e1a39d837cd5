#pragma once
#include <span>
#include <vector>

struct Tmeasure_row;

// One value at one time (UTC seconds).
struct Ttime_point {
    double t;
    double value;
};

// Sorts the points by time and makes the points of one time a single point
// holding the mean of their values. Two rows of the same second are one
// measurement counted twice (a table saved twice and joined, a clock set
// back): averaged, they keep both readings without weighting that second
// double, and every point keeps a neighbour at another time.
void sort_and_merge(std::vector<Ttime_point>* points);

// The defined concentrations of a tracer lamp (0 A, 1 B, 2 C) in the rows,
// sorted and merged; undefined values ("-") leave no point.
std::vector<Ttime_point> lamp_series(std::span<const Tmeasure_row> rows, int lamp);
